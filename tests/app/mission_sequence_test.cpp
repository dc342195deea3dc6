// Whole missions of the dialogue in memory, on thrust files of the tests' own
// making: the rows and event lines of the three phases and the summary
// against the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/mission_dialogue.h"
#include "physics/constants.h"

namespace ascent {
namespace {

using testing::Dialogue;
using testing::fixed;
using testing::interval;
using testing::isRow;
using testing::ownCurve;
using testing::parseRow;
using testing::Row;
using testing::thrustCurve;
using testing::thrustFile;
using testing::timeTolerance;
using testing::ullageFlow;

// The vehicle flown.
const Vehicle& V = Vehicle::defaults();

// Lift-off of the own curve from first principles: sea-level thrust equals
// weight, found by bisection inside the first record interval.
struct Liftoff {
  double time, mass;
};
Liftoff liftoffOfOwnCurve() {
  const double g = 9.798200881516824;
  const double exitArea =
      pi * V.boosters.count * V.boosters.exit_diameter_squared_m2 / 4 + V.core.exit_area_m2;
  const double boosterRate = 2 * 20e6 / interval;  // N/s, both boosters from zero
  auto mass = [&](double t) {
    return 2955067.6 - V.core.thrust_N / V.core.exhaust_velocity_mps * t -
           boosterRate / V.boosters.exhaust_velocity_mps * t * t / 2;
  };
  auto excess = [&](double t) {
    return V.core.thrust_N + boosterRate * t - exitArea * 101325 - mass(t) * g;
  };
  double low = 0, high = interval;
  for (int i = 0; i < 100; ++i) (excess((low + high) / 2) < 0 ? low : high) = (low + high) / 2;
  return {low, mass(low)};
}

TEST(MissionSequence, BoosterPhaseFromThePadToSeparation) {
  // Tail-off to 136 s: the boosters still push at separation.
  const auto records = thrustCurve(20e6, 120, 136);
  Dialogue d({thrustFile(records)});
  d.run("10\n3\n-1\n");
  ASSERT_EQ(d.status, 0) << d.screen;
  const std::size_t start = d.find("Turn time (s)? 10.000");
  const std::string pad =
      "   0.00   9.8   409       0         0  90.00   0.00  90.00      0.0 2955067.6";
  ASSERT_EQ(d.lines[start + 1], pad);
  const Liftoff liftoff = liftoffOfOwnCurve();
  const std::string& second = d.lines[start + 2];
  EXPECT_EQ(second.substr(0, 7), "   " + fixed(liftoff.time, 2));
  EXPECT_EQ(second.substr(7, 6), "   9.8");  // thrust equals weight
  EXPECT_EQ(second.substr(13, 54), pad.substr(13, 54));
  EXPECT_EQ(second.substr(67), " " + fixed(liftoff.mass, 1));
  EXPECT_EQ(parseRow(d.lines[start + 3]).t, 0.99);  // first step ends on the first record

  // The 110 m search: the climb a whole interval a step, then three steps
  // back, with tenths and then hundredths of the interval between them.
  const std::size_t pitchOver = d.find("Pitch over!");
  const auto climb = d.rows(start + 3, pitchOver);
  std::vector<std::size_t> backs;
  for (std::size_t i = 1; i < climb.size(); ++i) {
    if (climb[i].t < climb[i - 1].t) backs.push_back(i);
  }
  ASSERT_EQ(backs.size(), 3u);
  EXPECT_EQ(backs.back(), climb.size() - 1);
  const double stepOf[] = {interval, interval / 10, interval / 100};
  std::size_t first = 0;
  for (int stage = 0; stage < 3; ++stage) {
    const std::size_t back = backs[stage];
    for (std::size_t i = first + 1; i < back; ++i) {
      EXPECT_NEAR(climb[i].t - climb[i - 1].t, stepOf[stage], timeTolerance) << climb[i].text;
      if (i + 1 < back) {
        EXPECT_LE(climb[i].h0, 110) << climb[i].text;
      }
    }
    EXPECT_GE(climb[back - 1].h0, 110) << climb[back - 1].text;  // passed 110 m, printed rounded
    EXPECT_LE(climb[back].h0, 110) << climb[back].text;
    EXPECT_EQ(climb[back].t, climb[back - 2].t) << "one step back";
    first = back;
  }

  // Two kicks of one record interval and the turn time between them; after
  // the end-of-turn kick the steps end on record times again.
  const std::size_t endTurn = d.find("End turn.", pitchOver);
  EXPECT_NEAR(d.rowBefore(endTurn).t - d.rowBefore(pitchOver).t, 10 + 2 * interval, timeTolerance);
  const double afterTurn = parseRow(d.lines[endTurn + 1]).t;
  EXPECT_NEAR(afterTurn, std::round(afterTurn / interval) * interval, 0.006);

  // Separation at 130.2 s; the residual of one booster from the impulse of
  // its piecewise-linear thrust up to then (negative: this curve burns more
  // than is loaded).
  double impulse = 0, time = 0, thrust = 0;
  for (const auto& r : records) {
    const double end = std::min(r.time, 130.2);
    const double thrustAtEnd = thrust + (r.thrust - thrust) * (end - time) / (r.time - time);
    impulse += (thrust + thrustAtEnd) / 2 * (end - time);
    if (r.time >= 130.2) break;
    time = r.time;
    thrust = r.thrust;
  }
  const std::size_t separation = d.find("Booster seperation!", endTurn);
  EXPECT_EQ(d.lines[separation - 1].substr(0, 7), " 130.20");
  EXPECT_EQ(d.lines[separation],
            "Booster seperation! Residual booster propellant = " +
                fixed(V.boosters.propellant_kg - impulse / V.boosters.exhaust_velocity_mps, 0) +
                " kg.");
}

TEST(MissionSequence, CoreAndUpperStageEventsInOrderWithTheirTimes) {
  Dialogue d({ownCurve});
  d.run("10\n3\n-1\n");
  ASSERT_EQ(d.status, 0) << d.screen;
  const std::vector<std::string> events = {
      "Turn time (s)? 10.000",
      "Pitch over!",
      "End turn.",
      "Booster seperation!",
      "Maximum angle of attack (degrees)?  3.000",
      "SAJ and LAS Jettison!",
      "Core Engine Cutoff!",
      "Core Separation! Vacuum and zero gravity delta-V = ",
      "Upper Stage Ignition!",
      "Upper Stage Mainstage!",
      "Ullage motor jettison!",
      "Upper Stage Engine Cutoff!",
      "",
      "Turn Time = 10.000 s, Maximum angle of attack =  3.0000\xb0"};
  std::vector<std::size_t> at;  // line of each event
  for (std::size_t i = 4; i < d.lines.size() && at.size() < events.size(); ++i) {
    if (isRow(d.lines[i])) continue;
    EXPECT_EQ(d.lines[i].rfind(events[at.size()], 0), 0u) << "line " << i + 1 << ": " << d.lines[i];
    at.push_back(i);
  }
  ASSERT_EQ(at.size(), events.size());
  auto timeBefore = [&](int event) { return d.rowBefore(at[event]).t; };
  auto times = [&](int from, int to) {
    std::vector<double> t;
    for (const Row& r : d.rows(at[from], at[to])) t.push_back(r.t);
    return t;
  };

  // Core: the rest of the record interval to 130.26 s, whole seconds on to 330 s.
  const auto toJettison = times(4, 5);
  EXPECT_EQ(toJettison.front(), 130.26);
  EXPECT_EQ(toJettison.back(), 330.0);
  for (std::size_t i = 1; i + 1 < toJettison.size(); ++i) {
    EXPECT_NEAR(toJettison[i] - toJettison[0], double(i), timeTolerance);
  }
  // Depletion at the constant core flow, then the 1.2 s tail-off burning 1236 kg.
  const auto burn = d.rows(at[5], at[6]);
  ASSERT_GE(burn.size(), 4u);
  EXPECT_NEAR(burn[0].mass - burn[1].mass, V.core.thrust_N / V.core.exhaust_velocity_mps, 0.1);
  const Row& tailOffStart = burn[burn.size() - 3];
  EXPECT_NEAR(burn[burn.size() - 2].t - tailOffStart.t, 1.0, timeTolerance);
  EXPECT_NEAR(burn.back().t - tailOffStart.t,
              V.core.tail_off_propellant_kg * (2 * V.core.exhaust_velocity_mps) / V.core.thrust_N,
              timeTolerance);
  EXPECT_NEAR(tailOffStart.mass - burn.back().mass, V.core.tail_off_propellant_kg, 0.1);
  // Coast 0.58 s, ullage motors 0.18 s: cutoff 0.76 s before separation.
  const auto coast = d.rows(at[6], at[7]);
  ASSERT_EQ(coast.size(), 2u);
  EXPECT_NEAR(coast[0].t - timeBefore(6), 0.58, timeTolerance);
  EXPECT_NEAR(timeBefore(7) - timeBefore(6), 0.76, timeTolerance);
  EXPECT_NEAR(coast[0].mass - coast[1].mass, 0.18 * ullageFlow, 0.1);

  // Upper stage: 3.4 s coast, ignition, the 2.57 s ramp from a 0.29 s step,
  // mainstage, jettison 8.32 s after ignition.
  const double ignition = timeBefore(8);
  const auto upperCoast = d.rows(at[7], at[8]);
  ASSERT_EQ(upperCoast.size(), 4u);
  EXPECT_NEAR(ignition - timeBefore(7), 3.4, timeTolerance);
  // The separated stage carries its ullage propellant less 1.18 s of burn.
  EXPECT_NEAR(upperCoast[0].mass, V.upper.mass_kg + V.ullage.propellant_kg - 1.18 * ullageFlow,
              0.06);
  const auto ramp = times(8, 9);
  ASSERT_EQ(ramp.size(), 4u);
  EXPECT_NEAR(ramp[0] - ignition, 0.29, timeTolerance);
  EXPECT_NEAR(ramp.back() - ignition,
              (2 * V.upper.startup_propellant_kg * V.upper.exhaust_velocity_mps / V.upper.thrust_N),
              timeTolerance);
  EXPECT_EQ(times(9, 10).size(), 6u);
  EXPECT_NEAR(timeBefore(10) - ignition, 8.32, timeTolerance);

  // Whole-second alignment, guided ascent in 1 s steps, vacuum burn in 0.1 s
  // and the final approach in 0.01 s steps.
  const auto ascent = d.rows(at[10], at[11]);
  EXPECT_EQ(ascent[0].t, std::ceil(timeBefore(10)));
  EXPECT_NEAR(ascent[0].mass,
              d.rowBefore(at[10]).mass - 152 -
                  (ascent[0].t - timeBefore(10)) * V.upper.thrust_N / V.upper.exhaust_velocity_mps,
              7);
  std::vector<int> stepClass;  // 0: 1 s, 1: 0.1 s, 2: 0.01 s
  for (std::size_t i = 1; i < ascent.size(); ++i) {
    const double dt = ascent[i].t - ascent[i - 1].t;
    stepClass.push_back(std::fabs(dt - 1) <= timeTolerance     ? 0
                        : std::fabs(dt - 0.1) <= timeTolerance ? 1
                                                               : 2);
    EXPECT_LE(dt, 1 + timeTolerance);
    if (stepClass.back() == 2) {
      EXPECT_LE(dt, 0.02 + timeTolerance);
    }
  }
  ASSERT_TRUE(std::is_sorted(stepClass.begin(), stepClass.end()));
  for (int c : {0, 1, 2}) EXPECT_NE(std::count(stepClass.begin(), stepClass.end(), c), 0) << c;
  const std::size_t guided = std::count(stepClass.begin(), stepClass.end(), 0);
  for (std::size_t i = 0; i < guided; ++i) EXPECT_LE(ascent[i].vi, 7708) << ascent[i].text;
  EXPECT_GE(ascent[guided].vi, 7707);  // 1.01 vi passed the 200 km circular speed
  for (std::size_t i = guided + 1; i < ascent.size(); ++i) {
    EXPECT_EQ(ascent[i].text.substr(37, 7), "   0.00");  // vacuum: no angle of attack
    EXPECT_EQ(ascent[i].Pq, 0.0);
  }
  const auto finalCoast = times(11, 12);
  ASSERT_EQ(finalCoast.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_NEAR(finalCoast[i] - timeBefore(11), double(i + 1), timeTolerance);
  }
}

TEST(MissionSequence, SummaryAgreesWithTheModelAndTheTable) {
  Dialogue d({ownCurve});
  d.run("10\n3\n10\n8\n-1\n");
  ASSERT_EQ(d.status, 0) << d.screen;
  EXPECT_EQ(d.count("   t      a     vi"), 1u);                  // one heading for the run
  const std::size_t summary = d.find("Turn Time = 10.000") - 2;  // lines counted from 1
  auto numbers = [&](std::size_t line) { return d.numbers(summary + line); };
  const auto rows = d.rows(0, summary);

  const auto orbit = numbers(4);  // perigee, apogee, average, half range
  ASSERT_EQ(orbit.size(), 4u) << d.lines[summary + 4];
  EXPECT_NEAR(orbit[2], (orbit[0] + orbit[1]) / 2, 0.1);
  EXPECT_NEAR(orbit[3], orbit[1] - orbit[2], 0.1);

  // Lift-off values one record interval after the reset: vacuum thrust of the
  // core and both boosters less the sea-level loss, over the mass left then.
  const double loss =
      (pi * V.boosters.count * V.boosters.exit_diameter_squared_m2 / 4 + V.core.exit_area_m2) *
      101325;
  const double thrust = V.core.thrust_N + 2 * 20e6 - loss;
  const double mass = 2955067.6 - V.core.thrust_N / V.core.exhaust_velocity_mps * interval -
                      2 * 20e6 / V.boosters.exhaust_velocity_mps * interval / 2;
  EXPECT_EQ(d.lines[summary + 7], "Liftoff thrust = " + fixed(thrust, 0) + " N at " +
                                      fixed(thrust / mass, 2) + " m/s\xb2 for 2955068 kg");

  // The peaks are those of the table's rows.
  const auto force = numbers(6), q = numbers(8), accel = numbers(9);
  ASSERT_TRUE(force.size() == 2 && q.size() == 2 && accel.size() == 2);
  const Row& qRow =
      *std::max_element(rows.begin(), rows.end(), [](auto& x, auto& y) { return x.Pq < y.Pq; });
  EXPECT_NEAR(q[0], qRow.Pq, 0.55);
  EXPECT_EQ(q[1], qRow.t);
  const Row& aRow =
      *std::max_element(rows.begin(), rows.end(), [](auto& x, auto& y) { return x.a < y.a; });
  EXPECT_NEAR(accel[0], aRow.a, 0.055);
  EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](auto& r) { return r.t == force[1]; }));

  // The constants block adds up.
  EXPECT_EQ(d.lines[summary + 11],
            "  S3_Mt    =  301222; {kg, interstage, third stage and payload mass}");
  EXPECT_EQ(d.lines[summary + 13], "  S3_Mp1   =     771; {kg, startup propellant mass}");
  const double Mi = numbers(12)[0], Mp2 = numbers(14)[0], total = numbers(14)[1];
  const double reserve = numbers(17)[0], Ms = numbers(16)[0];
  EXPECT_EQ(d.lines[summary + 15].substr(0, 44), std::string(27, ' ') + "771 kg startup - ");
  EXPECT_EQ(numbers(15), (std::vector<double>{771, reserve}));
  EXPECT_NEAR(Mi, std::nearbyint(force[0] * V.resizing.interstage_per_newton), 1);
  EXPECT_NEAR(
      total,
      reserve + (V.upper.startup_propellant_kg + V.upper.mainstage_propellant_kg) - numbers(3)[0],
      1);  // less the propellant left
  EXPECT_EQ(Mp2 + 771 + reserve, total);
  EXPECT_EQ(Ms, numbers(16)[1] + numbers(16)[2] + reserve);  // RCS + dry + reserve
  EXPECT_NEAR(numbers(21)[0],
              V.resizing.S3_Mt_kg - (numbers(18)[0] + Mi + numbers(19)[0] + 771 + Mp2 + Ms), 1);

  // First recommendation: the limit scaled by 200 km over the average.
  EXPECT_NEAR(numbers(23)[0], 3 * 200 / orbit[2], 2e-4);
  // Second mission (8 degrees): the secant through both (limit, average) pairs.
  const std::size_t second = d.find("Turn Time = 10.000 s, Maximum angle of attack =  8.0000") - 2;
  const double average2 = d.numbers(second + 4)[2];
  EXPECT_NEAR(d.numbers(second + 23)[0], 8 - 5 * (average2 - 200) / (average2 - orbit[2]), 0.1);
}

}  // namespace
}  // namespace ascent
