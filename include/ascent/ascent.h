// ascent: the flight of a three-stage launch vehicle from the pad into orbit
// along a gravity turn, as a library.
//
// A mission is flown from a booster thrust history, a turn time and a maximum
// angle of attack. It reports each integration step and each event to an
// optional observer and returns its result: the orbit reached (or why the
// mission was abandoned), the velocity budget, the peak loads, the constants
// of an upper stage re-sized from the flight, and the angle of attack that the
// secant rule recommends for the next try.
//
//   ascent::ThrustHistory history = ascent::ThrustHistory::fromFile("s1.dat");
//   ascent::RunRecord run;  // peaks and the recommendation across missions
//   ascent::MissionResult result = ascent::flyMission(history, 18.0, 24.06, run);
//   if (result.outcome == ascent::Outcome::Orbit) use(result.perigee_m, result.apogee_m);
//
// Units are SI; angles are radians inside, degrees where a name ends in Deg.
// Missions are deterministic: the same history, turn time and limit give the
// same bits on every machine and build. flyMission is reentrant: missions may
// be flown on several threads at once, each with its own RunRecord.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/errors.h"
#include "ascent/vehicle.h"

namespace ascent {

// The program's version, as `ascent --version` prints it.
std::string_view version();

// One record of a booster thrust history.
struct ThrustRecord {
  double time_s;    // mission time
  double thrust_N;  // vacuum thrust of ONE booster; linear between records
};

// A booster thrust history: the text of a thrust file ("s1.dat"), one record
// per line, time (s) and thrust (N), anything after them on the line ignored.
// A record that cannot be read is not an error until a mission needs it: the
// mission then fails with the history's fault (code 106 and a reason naming
// the record), exactly where the dialogue's lazy reading of the file fails.
class ThrustHistory {
 public:
  // Reads a whole file of at most 64 MiB, as the commands read their inputs;
  // throws ThrustFileError (the operating system's error number, EFBIG for a
  // larger file) when it cannot be opened or read.
  static ThrustHistory fromFile(const std::string& path);
  // Parses text held in memory; `name` is used in error reasons.
  static ThrustHistory fromText(std::string_view text, std::string name = "s1.dat");
  // Records held in memory, as they are; `name` is used in error reasons.
  static ThrustHistory fromRecords(std::vector<ThrustRecord> records, std::string name);

  const std::vector<ThrustRecord>& records() const { return records_; }
  const std::string& name() const { return name_; }
  // The fault of the first record that could not be read (0 when the text
  // simply ends after the last record) and its reason.
  int faultCode() const { return faultCode_; }
  const std::string& faultReason() const { return faultReason_; }

 private:
  std::vector<ThrustRecord> records_;
  std::string name_;
  int faultCode_ = 0;
  std::string faultReason_;
};

// The hash of a history's records (and of the fault of the first record that
// could not be read), as 16 hex digits: what a campaign's manifest names the
// thrust file by.
std::string thrustHistoryHash(const ThrustHistory& history);

enum class Outcome {
  Orbit,      // the upper stage reached orbit; every field of the result is set
  Abandoned,  // the vehicle cannot reach orbit (abandonReason says why)
  Failed,     // the mission could not be flown (failureCode, failureReason)
};

enum class AbandonReason {
  None,
  BelowSurface,  // fell back below the surface
  NoMassLeft,    // burned more than its own mass
  ClockRanOut,   // mission time passed 10000 s (or is not a number)
};

// "orbit", "abandoned", "failed"; "below_surface", "no_mass_left",
// "clock_ran_out", "none": the names the outputs use.
std::string_view outcomeName(Outcome outcome);
std::string_view abandonReasonName(AbandonReason reason);

// Constants of an upper stage re-sized from a flight's peak force and its
// remaining propellant (kg, N): the "S3_..." block of the report.
struct UpperStageSizing {
  double S3_Mt_kg = 0;              // interstage, third stage and payload mass
  double S3_Mi_kg = 0;              // interstage mass
  double S3_Mp1_kg = 0;             // start-up propellant mass
  double S3_Mp2_kg = 0;             // mainstage propellant mass used
  double propellantTotal_kg = 0;    // propellant loaded, reserve included
  double reservePropellant_kg = 0;  // propellant reserve
  double S3_Ms_kg = 0;              // cutoff mass
  double rcsPropellant_kg = 0;      // RCS propellant
  double dryMass_kg = 0;            // dry mass
  double S3_Mup_kg = 0;             // total ullage motor propellant
  double S3_Mus_kg = 0;             // total ullage motor empty mass
  double S3_Fu_N = 0;               // total ullage motor vacuum thrust
  double SC_M_kg = 0;               // spacecraft mass
  // The spacecraft mass by the same laws with no value rounded to whole kg:
  // smooth in the peak force and the remaining propellant, for studies that
  // differentiate or maximise it (the report prints SC_M).
  double SC_M_unrounded_kg = 0;
};

// Peaks of thrust acceleration and dynamic pressure.
struct Peaks {
  double maxAccel_mps2 = 0;  // largest thrust acceleration
  double maxAccelTime_s = 0;
  double maxQ_Pa = 0;  // largest dynamic pressure
  double maxQTime_s = 0;
};

// What a run keeps from one mission to the next: the peaks over all its
// missions and the last mission that moved the recommendation (the secant
// rule's previous point). A new RunRecord starts a new run.
struct RunRecord {
  Peaks peaks;
  double previousAverageAltitude_m = 0;
  double previousLimit_rad = 0;
  double recommendedLimit_rad = 0;
};

struct MissionResult {
  // Inputs
  double turnTime_s = 0;
  double limit_deg = 0;  // maximum angle of attack as given
  double limit_rad = 0;

  Outcome outcome = Outcome::Failed;
  AbandonReason abandonReason = AbandonReason::None;
  int failureCode = 0;        // Outcome::Failed: the run-time error number
  std::string failureReason;  // Outcome::Failed

  // Orbit (Outcome::Orbit)
  double perigee_m = 0;  // altitudes above the spherical Earth
  double apogee_m = 0;
  double averageAltitude_m = 0;       // (perigee + apogee) / 2
  double altitudeHalfRange_m = 0;     // apogee - average
  double remainingPropellant_kg = 0;  // upper-stage propellant left (negative: overdrawn)
  double deltaV_mps = 0;              // vacuum and zero-gravity velocity gain

  // Loads and lift-off
  double maxForce_N = 0;  // largest force on the tracked load path
  double maxForceTime_s = 0;
  double liftoffThrust_N = 0;  // sea-level thrust just after lift-off
  double liftoffAcceleration_mps2 = 0;
  double liftoffMass_kg = 0;
  double boosterResidual_kg = 0;  // propellant left in each booster at separation
  Peaks missionPeaks;             // this mission's own peaks
  Peaks runPeaks;                 // the run's peaks after this mission

  UpperStageSizing sizing;          // Outcome::Orbit
  double recommendedLimit_rad = 0;  // for the next try (Outcome::Orbit)
  double recommendedLimit_deg = 0;

  std::size_t steps = 0;  // integration steps flown
};

// Degrees from radians as every output of the program converts them:
// radians * 180 / pi, left to right (a precomputed 180 / pi differs in the
// last bit and can flip a printed digit).
double degreesFromRadians(double radians);

// One integration step, as the report's table row shows it (SI, radians).
struct StepRow {
  double t_s;        // mission time
  double a_mps2;     // thrust acceleration
  double vi_mps;     // inertial speed
  double h_m;        // altitude
  double range_m;    // downrange distance
  double alpha_rad;  // angle of attack
  double beta_rad;   // inertial flight-path angle
  double theta_rad;  // air-relative flight-path angle
  double q_Pa;       // dynamic pressure
  double mass_kg;    // total mass
};

// Events of a mission, in flight order.
enum class Event {
  LongRecordInterval,  // value: the nominal record interval, s (a warning; the flight goes on)
  PitchOver,
  EndTurn,
  BoosterSeparation,  // value: residual propellant of each booster, kg
  SajAndLasJettison,
  CoreCutoff,
  CoreSeparation,  // value: vacuum and zero-gravity delta-V so far, m/s
  UpperStageIgnition,
  UpperStageMainstage,
  UllageJettison,
  UpperStageCutoff,
  Abandoned,  // the mission ends without an orbit
};

// Receives a mission as it is flown. Every call may throw an Error to end the
// mission (an interrupt, a failed write): with FlyOptions::throwFailures
// flyMission lets it through, otherwise it is the mission's Failed outcome.
struct Mission;

// A mission at booster separation, where the limit of the core and upper
// stages is decided: where it is, and what flying the rest of it from there
// would give. Valid during MissionObserver::limitAtSeparation only.
class SeparationState {
 public:
  explicit SeparationState(const Mission& mission) : mission_(mission) {}
  double time_s() const;
  double altitude_m() const;
  double speed_mps() const;  // inertial
  // Flies the rest of the mission from this state, as a copy (the mission
  // itself goes on untouched), with `vehicle`'s core stage, upper stage,
  // guidance and re-sizing under `limit_deg`: a guidance's prediction. A
  // failure is the prediction's Failed outcome.
  MissionResult flyRest(const Vehicle& vehicle, double limit_deg) const;

 private:
  const Mission& mission_;
};

class MissionObserver {
 public:
  virtual ~MissionObserver() = default;
  // A row of the vehicle on the pad (no data-file lines).
  virtual void padRow(const StepRow&) {}
  // Every integration step, forward or back.
  virtual void step(const StepRow&) {}
  virtual void event(Event, double /*value*/) {}
  // Called once, after booster separation: the maximum angle of attack in
  // degrees for the core and upper stages. The default keeps the limit given
  // to flyMission; the dialogue asks for it here.
  virtual double limit_deg(double given) { return given; }
  // The same, with the state the mission is in: a guidance that decides in
  // flight overrides this one. The default asks limit_deg(given).
  virtual double limitAtSeparation(const SeparationState& /*state*/, double given) {
    return limit_deg(given);
  }
  // The mission's end (every outcome but Failed).
  virtual void finished(const MissionResult&) {}
};

struct FlyOptions {
  // false: a failure (thrust records that cannot be flown, a floating-point
  // fault) is the mission's outcome (Outcome::Failed). true: it is thrown as
  // Error and ends the caller's run, and floating-point faults are left to
  // the caller's traps (the dialogue).
  bool throwFailures = false;
};

// Flies one mission: lift-off from the pad, the gravity turn held for
// `turnTime_s`, the core and upper stages steered under `limit_deg`, into
// orbit. Updates `run` (peaks, the recommendation's previous point).
MissionResult flyMission(const ThrustHistory& history, double turnTime_s, double limit_deg,
                         RunRecord& run, MissionObserver* observer = nullptr,
                         const FlyOptions& options = {});

// The same mission flown by another vehicle (Vehicle::defaults() above). The
// vehicle is taken as it is: check it first with vehicleProblems().
MissionResult flyMission(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                         double limit_deg, RunRecord& run, MissionObserver* observer = nullptr,
                         const FlyOptions& options = {});

}  // namespace ascent
