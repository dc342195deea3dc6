// The design commands of the built program: usage, one mission against the
// dialogue's report, each verdict of the target search, the sweep's bytes
// across threads and shards, and the charts of a dialogue run.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>

#include "ascent/ascent.h"
#include "e2e/e2e_support.h"

namespace ascent::testing {
namespace {

using DesignTools = ProgramTest;

std::string fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

TEST_F(DesignTools, HelpAndVersionExitZeroAndUsageErrorsExitTwoInOneLineAndAHint) {
  for (const char* help :
       {"--help", "fly --help", "target --help", "sweep --help", "plot --help"}) {
    const CommandRun result = command(help);
    EXPECT_EQ(result.status, 0) << help;
    EXPECT_NE(result.out.find("Usage: ascent"), std::string::npos) << help;
    EXPECT_EQ(result.err, "") << help;
  }
  const CommandRun version = command("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "ascent " + std::string(ascent::version()) + "\n");

  const struct {
    const char* arguments;
    const char* reason;
  } errors[] = {
      {"frobnicate", "ascent: unknown command 'frobnicate'"},
      {"fyl", "ascent: unknown command 'fyl' (did you mean 'fly'?)"},
      {"fly --turn-time 18 --limt 24", "ascent: unknown option '--limt' (did you mean '--limit'?)"},
      {"--bogus", "ascent: unknown option '--bogus'"},
      {"fly --turn-time 18 --limit 24 --bogus", "ascent: unknown option '--bogus'"},
      {"fly --turn-time 18 --limit 24 extra", "ascent: unexpected argument 'extra'"},
      {"fly --limit 24", "ascent: --turn-time is required"},
      {"fly --turn-time 18 --limit nan", "ascent: --limit: 'nan' is not a number"},
      {"fly --turn-time 0.5 --limit 24",
       "ascent: --turn-time: the turn time 0.5 s is outside 1 to 10000 s"},
      {"target --turn-time 18 --max-missions 0", "ascent: --max-missions"},
      {"target --turn-time 18 --tolerance 0", "ascent: --tolerance"},
      {"fly --turn-time 18 --limit 24km",
       "ascent: --limit: '24km' is a length, not an angle (deg or rad)"},
      {"target --turn-time 18 --max-dynamic-pressure 28.3",
       "ascent: --max-dynamic-pressure: 28.3 Pa is below 1 kPa; did you mean 28.3kPa?"},
      {"target --turn-time 18 --tolerance 300",
       "ascent: --tolerance: the altitude tolerance 300 km is not below the target altitude 200 "
       "km; did you mean 300m?\n"},
      {"sweep --turn-time 5:4:1", "ascent: --turn-time: the turn-time range needs"},
      {"sweep --turn-time 5:8:1 --shard 4/3", "ascent: --shard: '4/3' is not I/N"},
      {"sweep --turn-time 5:8:1 --jobs 0", "ascent: --jobs"},
      {"fly --turn-time 18 --limit 24 --limit 25", "ascent: --limit is given more than once"},
  };
  for (const auto& error : errors) {
    const CommandRun result = command(error.arguments);
    EXPECT_EQ(result.status, 2) << error.arguments;
    EXPECT_EQ(result.out, "") << error.arguments;
    // The reason and where to read on, no usage: at most three lines with
    // the notice of the thrust file flown.
    EXPECT_NE(result.err.find(error.reason), std::string::npos)
        << error.arguments << ": " << result.err;
    EXPECT_NE(result.err.find("see `ascent"), std::string::npos) << error.arguments;
    EXPECT_LE(std::count(result.err.begin(), result.err.end(), '\n'), 3) << result.err;
  }
}

TEST_F(DesignTools, NoCommandRunsTheDialogueWithTheSignsAsAskedFor) {
  useShippedThrustFile();
  const std::string answers = "\n18\n24.06\n-1\n";
  const std::string degreeCodePage437 = "24.0768\xF8\n", degreeUtf8 = "24.0768\xC2\xB0\n";
  const CommandRun plain = command("", "", answers);
  EXPECT_EQ(plain.status, 0);
  EXPECT_NE(plain.out.find("Recommended maxa = " + degreeCodePage437), std::string::npos);
  for (const auto& [arguments, environment] : {std::pair{"--utf8", ""}, {"", "ASCENT_UTF8=1"}}) {
    const CommandRun utf8 = command(arguments, environment, answers);
    EXPECT_EQ(utf8.status, 0) << arguments << environment;
    EXPECT_NE(utf8.out.find("Recommended maxa = " + degreeUtf8), std::string::npos)
        << arguments << environment;
  }
}

// fly --json gives the numbers the dialogue prints for the same mission.
TEST_F(DesignTools, FlyGivesTheNumbersOfTheDialoguesReport) {
  useShippedThrustFile();
  // 40 s at 20 deg escapes: the dialogue's numbers still, but exit status 1.
  const struct {
    double turnTime, limit;
    int status;
    const char* outcome;
  } missions[] = {
      {18, 24.06, 0, "orbit"}, {10, 20, 0, "orbit"}, {25, 45, 0, "orbit"}, {40, 20, 1, "escape"}};
  for (const auto& m : missions) {
    SCOPED_TRACE(std::to_string(m.turnTime) + " s, " + std::to_string(m.limit) + " deg");
    std::ostringstream answers;
    answers << "report.txt\n" << m.turnTime << '\n' << m.limit << "\n-1\n";
    ASSERT_EQ(run(answers.str()).status, 0);
    const std::string report = file("report.txt");
    const CommandRun fly = command("fly --json --turn-time " + std::to_string(m.turnTime) +
                                   " --limit " + fixed(m.limit, 2));
    ASSERT_EQ(fly.status, m.status) << fly.err;
    const nlohmann::json r = nlohmann::json::parse(fly.out);
    EXPECT_EQ(r["version"], std::string(ascent::version()));
    EXPECT_EQ(r["limit_deg"].get<double>(), m.limit);
    ASSERT_EQ(r["outcome"], m.outcome);
    for (const std::string& expected : {
             "Perigee = " + fixed(r["perigee_m"].get<double>() / 1000, 1) + " km, Apogee = " +
                 fixed(r["apogee_m"].get<double>() / 1000, 1) + " km, Average Altitude = " +
                 fixed(r["average_altitude_m"].get<double>() / 1000, 1),
             "Remaining propellant = " + fixed(r["remaining_propellant_kg"].get<double>(), 0) +
                 " kg.",
             "delta-V = " + fixed(r["delta_v_mps"].get<double>(), 0) + " m/s",
             "Maximum force = " + fixed(r["max_force_N"].get<double>(), 0) + " N at " +
                 fixed(r["max_force_time_s"].get<double>(), 2) + " s",
             "Maximum dynamic pressure = " +
                 fixed(r["mission_peaks"]["max_dynamic_pressure_Pa"].get<double>(), 0),
             "SC_M     =  " + fixed(r["sizing"]["SC_M_kg"].get<double>(), 0) + ";",
             "S3_Mi    =    " + fixed(r["sizing"]["S3_Mi_kg"].get<double>(), 0) + ";",
             "Recommended maxa = " + fixed(r["recommended_limit_deg"].get<double>(), 4),
         }) {
      EXPECT_NE(report.find(expected), std::string::npos) << expected;
    }
  }
  // A mission the dialogue abandons is an outcome of fly, not the end of it.
  ASSERT_EQ(run("report.txt\n10\n1\n-1\n").status, 0);
  ASSERT_NE(file("report.txt").find("mission abandoned"), std::string::npos);
  const CommandRun abandoned = command("fly --turn-time 10 --limit 1");
  EXPECT_EQ(abandoned.status, 1);
  EXPECT_NE(abandoned.out.find("abandoned: fell below the surface"), std::string::npos)
      << abandoned.out;
}

TEST_F(DesignTools, FlyWritesOneTrajectoryRowPerStepWithItsUnits) {
  useShippedThrustFile();
  const CommandRun fly = command("fly --turn-time 18 --limit 24.06 --json --trajectory path.csv");
  ASSERT_EQ(fly.status, 0) << fly.err;
  const std::size_t steps = nlohmann::json::parse(fly.out)["steps"].get<std::size_t>();
  const auto lines = splitLines(file("path.csv"));
  ASSERT_GT(lines.size(), steps);
  EXPECT_EQ(lines[0],
            "time_s,speed_mps,altitude_m,downrange_m,thrust_acceleration_mps2,"
            "dynamic_pressure_Pa,angle_of_attack_deg,inertial_flight_path_deg,"
            "air_flight_path_deg,mass_kg");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    ASSERT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 9) << lines[i];
  }
  EXPECT_EQ(lines[1].rfind("0,", 0), 0u);  // on the pad
}

// Converged, unreachable, not converged; and the answers printed for the
// dialogue fly the mission found.
TEST_F(DesignTools, TargetEndsWithOneVerdictAndItsExitStatus) {
  useShippedThrustFile();
  const CommandRun converged = command("target --turn-time 18");
  ASSERT_EQ(converged.status, 0) << converged.out << converged.err;
  EXPECT_NE(converged.out.find("\nConverged: limit "), std::string::npos) << converged.out;
  const std::string prompt = "In the dialogue: Turn time (s)? ";
  const std::size_t answers = converged.out.find(prompt);
  ASSERT_NE(answers, std::string::npos);
  std::istringstream typed(converged.out.substr(answers + prompt.size()));
  std::string turnTime, skip, limit;
  typed >> turnTime >> skip >> skip >> skip >> skip >> skip >> limit;
  ASSERT_EQ(run("report.txt\n" + turnTime + "\n" + limit + "\n-1\n").status, 0);
  const std::string report = file("report.txt");
  const std::size_t average = report.find("Average Altitude = ");
  ASSERT_NE(average, std::string::npos);
  EXPECT_NEAR(std::stod(report.substr(average + 19, 5)), 200.0, 0.11);

  // First guesses from which the dialogue's secant freezes on the flat top
  // (21 deg at 25 s) or recommends a negative limit (18 deg at 10 s).
  for (const char* start : {"--turn-time 25 --first-guess 21", "--turn-time 10 --first-guess 18",
                            "--turn-time 25 --first-guess 60", "--turn-time 10 --first-guess 1"}) {
    // At 10 s the orbit is reached, but by a design that overdraws its
    // upper stage: the search converges, the verdict says the design is none.
    const CommandRun result = command(std::string("target ") + start);
    const bool shortOfPropellant = std::string(start).find("turn-time 10") != std::string::npos;
    EXPECT_EQ(result.status, shortOfPropellant ? 1 : 0) << start << '\n' << result.out;
    EXPECT_NE(
        result.out.find(shortOfPropellant ? "\nNo propellant left: limit " : "\nConverged: limit "),
        std::string::npos)
        << start << '\n'
        << result.out;
  }

  const CommandRun unreachable = command("target --turn-time 25 --altitude 300");
  EXPECT_EQ(unreachable.status, 1);
  EXPECT_NE(unreachable.out.find("Unreachable: at turn time 25 s the average altitude is flat at "
                                 "228."),
            std::string::npos)
      << unreachable.out;

  const CommandRun budget = command("target --turn-time 18 --max-missions 2");
  EXPECT_EQ(budget.status, 1);
  EXPECT_NE(budget.out.find("Not converged within 2 missions: best limit "), std::string::npos)
      << budget.out;
  EXPECT_EQ(std::count(budget.out.begin(), budget.out.end(), '\n'), 2 + 2 + 1);

  const CommandRun json = command("target --turn-time 18 --max-missions 3 --json");
  EXPECT_EQ(json.status, 1);
  const nlohmann::json j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["verdict"], "not_converged");
  EXPECT_EQ(j["missions"], 3);
  ASSERT_EQ(j["flown"].size(), 3u);
  EXPECT_EQ(j["mission"]["limit_deg"], j["limit_deg"]);

  // A limit written with its unit: 28.3 kPa, which the peak at 50 s exceeds.
  const CommandRun limited = command("target --turn-time 50 --max-dynamic-pressure 28.3kPa --json");
  EXPECT_EQ(limited.status, 1);
  const nlohmann::json l = nlohmann::json::parse(limited.out);
  EXPECT_EQ(l["verdict"], "infeasible");
  EXPECT_EQ(l["constraints"]["dynamic_pressure_limit_Pa"].get<double>(), 28300);
}

// Thrust records that cannot be flown are an input error, found before the
// search.
TEST_F(DesignTools, FailedMissionsAreLinesOfTheSearchNotItsEnd) {
  std::filesystem::copy_file(std::filesystem::path(ASCENT_TEST_DATA_DIR) / "never_climbs_s1.dat",
                             dir / "s1.dat");
  const CommandRun result = command("target --turn-time 18 --max-missions 8");
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("cannot fly the thrust file: s1.dat"), std::string::npos) << result.err;
  EXPECT_EQ(command("fly --thrust missing.dat --turn-time 18 --limit 24").status, 3);
}

TEST_F(DesignTools, SweepConvergesEveryTurnTimeWithTheSameBytesOnAnyThreadsAndShards) {
  useShippedThrustFile();
  ASSERT_EQ(command("sweep --turn-time 5:40:1 --jobs 1 --csv one.csv").status, 0);
  const CommandRun two = command("sweep --turn-time 5:40:1 --jobs 2");
  ASSERT_EQ(two.status, 0);
  const std::string whole = file("one.csv");
  EXPECT_EQ(two.out, whole);
  EXPECT_NE(two.err.find("Best design: turn time "), std::string::npos) << two.err;

  // The turn times 5 to 40 s converge from scratch in few missions.
  const auto rows = splitLines(whole);
  ASSERT_EQ(rows.size(), 37u);
  std::vector<int> missions;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    std::vector<std::string> fields;
    std::stringstream row(rows[i]);
    for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 12u) << rows[i];
    // Below about 14 s the upper stage overdraws its propellant.
    EXPECT_EQ(fields[2], std::stod(fields[7]) < 0 ? "no_propellant_left" : "converged") << rows[i];
    EXPECT_NEAR(std::stod(fields[6]), 200e3, 100) << rows[i];  // average_altitude_m
    missions.push_back(std::stoi(fields[3]));
  }
  std::sort(missions.begin(), missions.end());
  EXPECT_LE(missions[missions.size() / 2], 7);
  EXPECT_LE(missions.back(), 12);

  // Shards: the header in the first, every row in one of them.
  std::vector<std::string> sharded;
  for (int shard = 1; shard <= 3; ++shard) {
    const CommandRun part =
        command("sweep --turn-time 5:40:1 --shard " + std::to_string(shard) + "/3");
    ASSERT_EQ(part.status, 0);
    const auto lines = splitLines(part.out);
    EXPECT_EQ(lines.front() == rows.front(), shard == 1);
    sharded.insert(sharded.end(), lines.begin() + (shard == 1), lines.end());
  }
  std::vector<std::string> expected(rows.begin() + 1, rows.end());
  std::sort(sharded.begin(), sharded.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(sharded, expected);
}

// Width and height of a PNG file, from its header chunk; 0 x 0 when it is not one.
std::pair<unsigned, unsigned> pngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
      bytes.compare(12, 4, "IHDR") != 0) {
    return {0, 0};
  }
  auto word = [&](std::size_t at) {
    unsigned value = 0;
    for (std::size_t i = 0; i < 4; ++i)
      value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
  };
  return {word(16), word(20)};
}

TEST_F(DesignTools, PlotDrawsTheDataFilesOfARunAsPngCharts) {
  useShippedThrustFile();
  ASSERT_EQ(run("report.txt\n18\n24\n18\n25\n10\n20\n-1\n").status, 0);
  if (std::system("command -v gnuplot > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "gnuplot is not installed (apt-get install gnuplot-nox)";
  }
  const CommandRun plot = command("plot . --out charts");
  ASSERT_EQ(plot.status, 0) << plot.err;
  for (const char* chart : {"speed.png", "height.png", "accel.png", "dynpres.png"}) {
    EXPECT_EQ(pngSize(file(std::string("charts/") + chart)), std::make_pair(800u, 500u)) << chart;
  }
  EXPECT_EQ(pngSize(file("charts/overview.png")), std::make_pair(1200u, 900u));
  // The run's report names the curves; another file's missions are not this run's.
  EXPECT_EQ(command("plot . --out charts --report report.txt").status, 0);
  const CommandRun other = command("plot . --out charts --report s1.dat");
  EXPECT_EQ(other.status, 3);
  EXPECT_EQ(other.err,
            "ascent: s1.dat is not the report of this run: it names 0 missions, ./speed.dat "
            "holds 3 missions\n");

  ASSERT_EQ(command("sweep --turn-time 10:20:5 --csv s.csv --plot sweep.png").status, 0);
  EXPECT_EQ(pngSize(file("sweep.png")), std::make_pair(900u, 540u));

  const CommandRun missing = command("plot", "PATH=/nonexistent");
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("gnuplot-nox"), std::string::npos) << missing.err;
  EXPECT_EQ(command("plot nowhere").status, 3);
}

}  // namespace
}  // namespace ascent::testing
