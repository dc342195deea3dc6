// Vehicle files: the printed default reads back to the same vehicle, each
// validation rule is caught with its line, and a changed vehicle flies what
// it should.
#include "files/vehicle_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "ascent/ascent.h"

namespace ascent {
namespace {

const std::string shipped = ASCENT_SHIPPED_DATA_DIR "/s1.dat";

// The bits of every number a mission reports, so that two results compare exactly.
bool sameFlight(const MissionResult& a, const MissionResult& b) {
  const double x[] = {a.perigee_m,      a.apogee_m,        a.remainingPropellant_kg, a.maxForce_N,
                      a.sizing.SC_M_kg, a.liftoffThrust_N, a.missionPeaks.maxQ_Pa};
  const double y[] = {b.perigee_m,      b.apogee_m,        b.remainingPropellant_kg, b.maxForce_N,
                      b.sizing.SC_M_kg, b.liftoffThrust_N, b.missionPeaks.maxQ_Pa};
  return a.outcome == b.outcome && a.steps == b.steps && std::memcmp(x, y, sizeof x) == 0;
}

TEST(VehicleFile, PrintedDefaultReadsBackToTheSameVehicle) {
  const VehicleFile file = parseVehicleText(vehicleToml(Vehicle::defaults()), "v.toml");
  EXPECT_TRUE(file.vehicle == Vehicle::defaults());
  EXPECT_TRUE(file.changedKeys.empty());
  EXPECT_EQ(vehicleHash(file.vehicle), vehicleHash(Vehicle::defaults()));

  Vehicle changed = Vehicle::defaults();
  changed.core.thrust_N *= 1.01;
  changed.aero.drag_table[3].cd = 0.7;
  const VehicleFile back = parseVehicleText(vehicleToml(changed), "v.toml");
  EXPECT_TRUE(back.vehicle == changed);
  EXPECT_EQ(back.changedKeys, (std::vector<std::string>{"core.thrust_N", "aero.drag_table"}));
  EXPECT_NE(vehicleHash(changed), vehicleHash(Vehicle::defaults()));
}

TEST(VehicleFile, EveryProblemIsReportedWithItsLine) {
  struct Case {
    const char* name;
    const char* text;
    const char* problem;  // a part of the single problem expected
  };
  const Case cases[] = {
      {"syntax", "schema = 1\n[core\n", "v.toml:2:"},
      {"no schema", "[core]\nthrust_N = 1e7\n", "schema = 1 is missing"},
      {"other schema", "schema = 2\n", "v.toml:1: schema must be 1"},
      {"unknown key", "schema = 1\n[core]\nthrust = 1e7\n",
       "v.toml:3: unknown key core.thrust (did you mean 'core.thrust_N'?)"},
      {"wrong type", "schema = 1\n[upper]\nmass_kg = \"heavy\"\n",
       "v.toml:3: upper.mass_kg must be a number (kg)"},
      {"not finite", "schema = 1\n[core]\nthrust_N = inf\n", "core.thrust_N = inf: must be"},
      {"outside the domain", "schema = 1\n[site]\nlatitude_deg = 91\n",
       "v.toml:3: site.latitude_deg = 91: must be from -90 to 90"},
      {"count", "schema = 1\n[boosters]\ncount = 2.5\n", "a whole number"},
      {"count beyond 2^53", "schema = 1\n[boosters]\ncount = 9007199254740993\n",
       "boosters.count = 9007199254740993: must be a whole number"},
      {"integer beyond TOML", "schema = 1\n[core]\nthrust_N = 99999999999999999999\n",
       "v.toml:3: core.thrust_N = 99999999999999999999 is out of range of a TOML integer"},
      {"real beyond a double", "schema = 1\n[aero]\ndrag_table = [{mach = 1e999, cd = 1}]\n",
       "v.toml:3: mach = 1e999 is out of the range of numbers"},
      {"events out of order", "schema = 1\n[timeline]\njettison_time_s = 120\n",
       "must come before timeline.jettison_time_s = 120"},
      {"stage lighter than its propellant", "schema = 1\n[upper]\nmass_kg = 1000\n",
       "must weigh less than upper.mass_kg = 1000"},
      {"Mach table",
       "schema = 1\n[aero]\ndrag_table = [{mach = 0, cd = 0.4}, {mach = 0, cd = 1}]\n",
       "the Mach numbers must increase strictly"},
      {"drag below zero between rows",
       "schema = 1\n[aero]\ndrag_table = [{mach = 0, cd = 0.4, fall = 1, over_mach = 1}, "
       "{mach = 2, cd = 0.3}]\n",
       "row 1: the coefficient falls to -1.6"},
      {"tail-off heavier than the inert mass",
       "schema = 1\n[core]\ntail_off_propellant_kg = 130000\n",
       "must be less than core.inert_mass_kg = 126699"},
      {"carried mass that is not the stack and the SAJ and LAS",
       "schema = 1\n[loads]\ncarried_mass_kg = 310000\n",
       "v.toml:3: loads.carried_mass_kg = 310000 is not resizing.S3_Mt_kg + core.saj_mass_kg + "
       "core.las_mass_kg = 309536"},
  };
  for (const Case& c : cases) {
    try {
      parseVehicleText(c.text, "v.toml");
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const InputError& error) {
      ASSERT_EQ(error.problems().size(), 1u) << c.name << ": " << error.what();
      EXPECT_NE(error.problems()[0].find(c.problem), std::string::npos)
          << c.name << ": " << error.what();
    }
  }
  // An integer that a double rounds is a number, as the same digits with a point are.
  EXPECT_EQ(parseVehicleText("schema = 1\n[core]\nthrust_N = 9007199254740993\n", "v.toml")
                .vehicle.core.thrust_N,
            9007199254740992.0);
  // All at once, in the order of the lines.
  try {
    parseVehicleText("schema = 1\n[upper]\nmass_kg = -1\n[core]\nthrust_M = 1\n", "v.toml");
    ADD_FAILURE() << "accepted";
  } catch (const InputError& error) {
    ASSERT_EQ(error.problems().size(), 2u) << error.what();
    EXPECT_EQ(error.problems()[0].rfind("v.toml:3:", 0), 0u);
    EXPECT_EQ(error.problems()[1].rfind("v.toml:5:", 0), 0u);
  }
}

// The default stack above the core is the stage and 7382 kg of interstage,
// and the mass above the load path that stack, 920 kg of SAJ and 7394 kg of
// LAS: a stage 1000 kg heavier is 1000 kg more in all three.
TEST(VehicleFile, AHeavierStageByItsOneKeyIsTheStageGivenByAllThree) {
  Vehicle heavier = Vehicle::defaults();
  heavier.upper.mass_kg = 294840;
  heavier.resizing.S3_Mt_kg = 302222;
  heavier.loads.carried_mass_kg = 310536;
  const struct {
    const char* text;
    std::size_t derived;
  } cases[] = {
      {"schema = 1\n[upper]\nmass_kg = 294840\n", 2},
      {"schema = 1\n[upper]\nmass_kg = 294840\n[resizing]\nS3_Mt_kg = 302222\n", 1},
      {"schema = 1\n[upper]\nmass_kg = 294840\n[loads]\ncarried_mass_kg = 310536.0\n"
       "[resizing]\nS3_Mt_kg = 302222\n",
       0},
  };
  for (const auto& c : cases) {
    const VehicleFile file = parseVehicleText(c.text, "v.toml");
    EXPECT_TRUE(file.vehicle == heavier) << c.text;
    EXPECT_EQ(file.derivedKeys.size(), c.derived) << c.text;
    EXPECT_TRUE(file.warnings.empty()) << c.text;
  }
  // A stack given alone is the re-sizing's: the flight keeps its carried
  // mass, and the file is warned of at its line with both values.
  const VehicleFile sized =
      parseVehicleText("schema = 1\n[resizing]\nS3_Mt_kg = 302222\n", "v.toml");
  EXPECT_EQ(sized.vehicle.loads.carried_mass_kg, 309536);
  ASSERT_EQ(sized.warnings.size(), 1u);
  EXPECT_EQ(sized.warnings[0].rfind("v.toml:3: warning: resizing.S3_Mt_kg = 302222 is not ", 0),
            0u);
  EXPECT_NE(sized.warnings[0].find("= 301222"), std::string::npos) << sized.warnings[0];
}

TEST(VehicleFlight, ScalesAndChangesFlyWhatTheyShould) {
  const ThrustHistory history = ThrustHistory::fromFile(shipped);
  RunRecord run;
  const MissionResult nominal = flyMission(history, 18, 24.06, run);

  // A copy of the default vehicle flies the same bits as the default itself.
  const Vehicle copy = Vehicle::defaults();
  run = {};
  EXPECT_TRUE(sameFlight(flyMission(history, copy, 18, 24.06, run), nominal));

  // A thrust scale of 1.02 is the file with every thrust times 1.02.
  Vehicle scaled = Vehicle::defaults();
  scaled.boosters.thrust_scale = 1.02;
  std::vector<ThrustRecord> records = history.records();
  std::string text;
  for (ThrustRecord& r : records) {
    char line[64];
    std::snprintf(line, sizeof line, "%.17g %.17g\n", r.time_s, r.thrust_N * 1.02);
    text += line;
  }
  run = {};
  const MissionResult byScale = flyMission(history, scaled, 18, 24.06, run);
  run = {};
  const MissionResult byFile = flyMission(ThrustHistory::fromText(text), 18, 24.06, run);
  EXPECT_TRUE(sameFlight(byScale, byFile));
  EXPECT_FALSE(sameFlight(byScale, nominal));

  // More core thrust: more thrust at lift-off and a smaller upper stage needed.
  Vehicle stronger = Vehicle::defaults();
  stronger.core.thrust_N *= 1.01;
  run = {};
  const MissionResult strong = flyMission(history, stronger, 18, 24.06, run);
  EXPECT_GT(strong.liftoffThrust_N, nominal.liftoffThrust_N);
  EXPECT_GT(strong.averageAltitude_m, nominal.averageAltitude_m);
}

}  // namespace
}  // namespace ascent
