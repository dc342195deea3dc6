// The fields of a flown mission and of a targeted turn time: what is null
// when, which outcome a result has, the vehicle's object and the settings a
// flight refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "ascent/fly.h"
#include "ascent/target.h"

namespace ascent {
namespace {

MissionResult orbit(double perigee_m, double apogee_m) {
  MissionResult r;
  r.outcome = Outcome::Orbit;
  r.perigee_m = perigee_m;
  r.apogee_m = apogee_m;
  r.averageAltitude_m = (perigee_m + apogee_m) / 2;
  r.sizing.SC_M_kg = 1.2e5;
  r.steps = 800;
  return r;
}

// A field is null only where its schema says it may be, and otherwise holds
// the kind of value its type names.
void expectFieldsKeepTheirTypes(const Value& value) {
  for (const Field<FlownMission>& field : flightSchema()) {
    const Value& v = value[field.info.name];
    if (v.isNull()) {
      EXPECT_FALSE(field.info.nullWhen.empty()) << field.info.name << " is null";
      continue;
    }
    const Value::Kind kind = v.kind();
    switch (field.info.type) {
      case FieldType::Real:
        EXPECT_EQ(kind, Value::Kind::Real) << field.info.name;
        break;
      case FieldType::Integer:
        EXPECT_TRUE(kind == Value::Kind::Integer || kind == Value::Kind::Unsigned)
            << field.info.name;
        break;
      case FieldType::Text:
        EXPECT_EQ(kind, Value::Kind::Text) << field.info.name;
        break;
      case FieldType::Flag:
        EXPECT_EQ(kind, Value::Kind::Flag) << field.info.name;
        break;
      case FieldType::Object:
        EXPECT_EQ(kind, Value::Kind::Object) << field.info.name;
        break;
      case FieldType::List:
        EXPECT_EQ(kind, Value::Kind::List) << field.info.name;
        break;
    }
  }
}

TEST(FlightSchema, TheOutcomeIsTheFlightClassAndEachReasonIsSetOnlyForItsOutcome) {
  MissionResult abandoned;
  abandoned.outcome = Outcome::Abandoned;
  abandoned.abandonReason = AbandonReason::NoMassLeft;
  abandoned.perigee_m = 123;  // left over from the flight: never shown
  MissionResult failed;
  failed.outcome = Outcome::Failed;
  failed.failureCode = 205;
  failed.failureReason = "overflow";
  const struct {
    const char* outcome;
    MissionResult result;
    double minimumPerigee_m;
    bool orbitNumbers;
    const char* abandonReason;
    int failureCode;
  } cases[] = {
      {"orbit", orbit(199e3, 201e3), 100e3, true, nullptr, 0},
      {"suborbital", orbit(199e3, 201e3), 250e3, true, nullptr, 0},
      {"escape", orbit(199e3, -3e7), 100e3, true, nullptr, 0},
      {"abandoned", abandoned, 100e3, false, "no_mass_left", 0},
      {"failed", failed, 100e3, false, nullptr, 205},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outcome);
    const Value v = missionValue(FlownMission{c.result, "s1.dat", c.minimumPerigee_m});
    expectFieldsKeepTheirTypes(v);
    EXPECT_EQ(v["outcome"].text(), c.outcome);
    EXPECT_EQ(v.find("flight"), nullptr);
    EXPECT_EQ(v["thrust_file"].text(), "s1.dat");
    for (const char* name : {"perigee_m", "average_altitude_m", "remaining_propellant_kg", "sizing",
                             "recommended_limit_deg"}) {
      EXPECT_EQ(v[name].isNull(), !c.orbitNumbers) << name;
    }
    EXPECT_EQ(v["abandon_reason"].isNull(), c.abandonReason == nullptr);
    if (c.abandonReason != nullptr) {
      EXPECT_EQ(v["abandon_reason"].text(), c.abandonReason);
    }
    EXPECT_EQ(v["failure_code"].isNull(), c.failureCode == 0);
    EXPECT_EQ(v["failure_reason"].isNull(), c.failureCode == 0);
    if (c.failureCode != 0) {
      EXPECT_EQ(v["failure_code"].integer(), c.failureCode);
      EXPECT_EQ(v["failure_reason"].text(), "overflow");
    }
    // The loads and the peaks are the flight's whatever it reached.
    EXPECT_EQ(v["mission_peaks"].members().size(), peaksSchema().size());
    EXPECT_EQ(v["steps"].whole(), c.result.steps);
  }
  EXPECT_EQ(missionValue(FlownMission{orbit(2e5, 2e5), "", 1e5})["sizing"].members().size(),
            sizingSchema().size());
}

TEST(FlightSchema, TheVehicleIsNamedByItsChangesAndAHashThatDependsOnlyOnItsValues) {
  Vehicle heavier = Vehicle::defaults();
  heavier.core.thrust_N = 9206447.99;
  heavier.upper.mass_kg = 294840.0;
  // The hashes results have always carried for these two vehicles.
  EXPECT_EQ(vehicleValue(Vehicle::defaults())["hash"].text(), "0069a9622ed3c752");
  const Value v = vehicleValue(heavier);
  EXPECT_EQ(v["hash"].text(), "b74e14751476ee4b");
  ASSERT_EQ(v["changes"].members().size(), 2u);
  EXPECT_EQ(v["changes"]["core.thrust_N"]["default"].real(), 9115295.04);
  EXPECT_EQ(v["changes"]["core.thrust_N"]["value"].real(), 9206447.99);
  heavier.aero.drag_table.back().cd += 0.01;
  EXPECT_EQ(vehicleValue(heavier)["changes"]["aero.drag_table"].text(), "changed");
  const Value flight = flightValue(FlownMission{orbit(2e5, 2e5), "s1.dat", 1e5}, heavier);
  EXPECT_EQ(flight.members().back().first, "vehicle");
}

TEST(FlightSchema, TheTrajectoryIsInSiWithAnglesInDegrees) {
  std::string header;
  for (const Field<StepRow>& field : trajectorySchema())
    header += std::string(field.info.name) + ",";
  EXPECT_EQ(header,
            "time_s,speed_mps,altitude_m,downrange_m,thrust_acceleration_mps2,dynamic_pressure_Pa,"
            "angle_of_attack_deg,inertial_flight_path_deg,air_flight_path_deg,mass_kg,");
  constexpr double pi = std::numbers::pi;
  const StepRow row{1, 2, 3, 4500, 6700, pi / 2, pi, -pi / 4, 28e3, 2e6};
  const Value v = toValue(trajectorySchema(), row);
  EXPECT_EQ(v["altitude_m"].real(), 4500);
  EXPECT_EQ(v["dynamic_pressure_Pa"].real(), 28e3);
  EXPECT_EQ(v["angle_of_attack_deg"].real(), 90);
  EXPECT_EQ(v["air_flight_path_deg"].real(), -45);
}

TEST(FlySettings, AreRefusedOutsideTheirDomainInTheUnitShown) {
  const struct {
    FlySettings settings;
    const char* problem;
  } cases[] = {
      {{18, 24.06, 100e3}, ""},
      {{1, 0, 0}, ""},
      {{10000, 90, 1e8}, ""},
      {{0.5, 24, 100e3}, "the turn time 0.5 s is outside 1 to 10000 s"},
      {{18, 91, 100e3}, "the maximum angle of attack 91 deg is outside 0 to 90 deg"},
      {{18, INFINITY, 100e3}, "the maximum angle of attack inf deg is outside 0 to 90 deg"},
      {{18, std::nan(""), 100e3}, "the maximum angle of attack is not a number"},
      {{18, 24, -5e3}, "the minimum perigee -5 km is outside 0 to 100000 km"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(settingsProblem(c.settings).problem, c.problem) << c.problem;
  }
  const ThrustHistory history = ThrustHistory::fromText("0 1e6\n", "h.dat");
  EXPECT_THROW(runFly({history, Vehicle::defaults(), ""}, cases[4].settings), InputError);
}

TEST(TargetSchema, NumbersOfTheSearchAreNullWhenNoMissionReachedAnOrbit) {
  TargetResult none;
  none.run.verdict = Verdict::Unreachable;
  none.run.missions.resize(2);  // failed missions
  none.run.search.best = 2;
  TargetResult flat = none;
  flat.run.missions[1] = orbit(150e3, 160e3);
  flat.run.search.best = 1;
  flat.run.search.flatTop = true;
  flat.run.search.flatAltitude_m = 155e3;
  for (const TargetResult* t : {&none, &flat}) {
    const Value v = toValue(targetSchema(), *t);
    const bool reached = t == &flat;
    EXPECT_EQ(v["verdict"].text(), "unreachable");
    EXPECT_EQ(v["missions"].whole(), 2u);
    for (const char* name : {"limit_deg", "highest_altitude_m", "mission"}) {
      EXPECT_EQ(v[name].isNull(), !reached) << name;
    }
    EXPECT_EQ(v["flat_altitude_m"].isNull(), !reached);
    ASSERT_EQ(v["flown"].items().size(), 2u);
    EXPECT_EQ(v["flown"].items()[0]["outcome"].text(), "failed");
  }
  EXPECT_EQ(toValue(targetSchema(), flat)["mission"]["average_altitude_m"].real(), 155e3);
}

}  // namespace
}  // namespace ascent
