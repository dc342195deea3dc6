// ascent dispersions as a user runs it: the same bytes for any threads,
// shards and a run flown alone; a key added moves no other key's draws;
// resume equals an uninterrupted campaign; an interrupt leaves complete rows;
// the shipped example and the GNU parallel recipe; errors of the input.
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include "ascent/text.h"
#include "e2e/e2e_support.h"
#include "report/printf_text.h"

namespace ascent::testing {
namespace {

struct Dispersions : ProgramTest {
  void SetUp() override {
    useShippedThrustFile();
    writeFile(dir / "d.toml", base);
  }
  // Four keys, one correlation; `added` has one more key in the middle.
  const std::string base =
      "schema = 1\n"
      "[[dispersion]]\nkey = \"core.thrust_N\"\ndistribution = \"normal\"\nsigma = 0.5\n"
      "relative = true\n"
      "[[dispersion]]\nkey = \"upper.mass_kg\"\ndistribution = \"uniform\"\n"
      "bounds = [-500, 500]\n"
      "[[dispersion]]\nkey = \"boosters.thrust_scale\"\ndistribution = \"truncated_normal\"\n"
      "sigma = 0.5\nbounds = [-1.5, 1.5]\nrelative = true\n"
      "[[dispersion]]\nkey = \"core.exhaust_velocity_mps\"\ndistribution = \"normal\"\n"
      "sigma = 5\n"
      "[[correlation]]\nkeys = [\"core.thrust_N\", \"core.exhaust_velocity_mps\"]\n"
      "coefficient = -0.4\n";
  const std::string campaign = "--seed 5 --turn-time 18 --limit 24.06";

  CommandRun dispersions(const std::string& arguments, const std::string& file = "d.toml") {
    return command("dispersions " + file + " " + campaign + " " + arguments);
  }
  // The summary without the campaign block (which names the runs and files).
  std::string summaryOf(const std::string& json) {
    nlohmann::json value = nlohmann::json::parse(json);
    value.erase("campaign");
    return value.dump();
  }
};

TEST_F(Dispersions, TheSameRowsForAnyThreadsShardsAndARunFlownAlone) {
  // The summary's own options work on the merge alike.
  const std::string signOff =
      " --reserve 100 --require 'max_dynamic_pressure_Pa<=40000' --probability 0.3";
  const CommandRun whole = dispersions("--runs 60 --jobs 1 --csv whole.csv --json" + signOff);
  ASSERT_EQ(whole.status, 0) << whole.err;
  const std::string rows = file("whole.csv");
  const auto lines = splitLines(rows);
  ASSERT_EQ(lines.size(), 61u);
  EXPECT_EQ(dispersions("--runs 60 --jobs 2").out, rows);  // rows on standard output

  ASSERT_EQ(dispersions("--runs 35:60 --jobs 2 --csv b.csv").status, 0);
  ASSERT_EQ(dispersions("--runs 0:35 --jobs 2 --csv a.csv").status, 0);
  const CommandRun merged = command("dispersions --merge m.csv b.csv a.csv --json" + signOff);
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(file("m.csv"), rows);
  EXPECT_EQ(summaryOf(merged.out), summaryOf(whole.out));

  const CommandRun alone = dispersions("--runs 41:42");
  EXPECT_EQ(alone.out, lines[0] + "\n" + lines[42] + "\n");

  // Its drawn values as a vehicle file, flown by `ascent fly`: the row's numbers.
  std::vector<std::string> header, values;
  std::stringstream sh(lines[0]), sv(lines[42]);
  for (std::string f; std::getline(sh, f, ',');) header.push_back(f);
  for (std::string f; std::getline(sv, f, ',');) values.push_back(f);
  std::string vehicle = "schema = 1\n";
  for (std::size_t k = 1; k <= 4; ++k) vehicle += header[k] + " = " + values[k] + "\n";
  writeFile(dir / "row.toml", vehicle);
  const CommandRun fly = command("fly --turn-time 18 --limit 24.06 --vehicle row.toml --json");
  ASSERT_EQ(fly.status, 0) << fly.err;
  const nlohmann::json flown = nlohmann::json::parse(fly.out);
  auto cell = [&](const char* column) {
    return values[static_cast<std::size_t>(std::find(header.begin(), header.end(), column) -
                                           header.begin())];
  };
  EXPECT_EQ(cell("perigee_m"), exactText(flown["perigee_m"].get<double>()));
  EXPECT_EQ(cell("apogee_m"), exactText(flown["apogee_m"].get<double>()));
  EXPECT_EQ(cell("booster_residual_kg"), exactText(flown["booster_residual_kg"].get<double>()));
  EXPECT_EQ(cell("SC_M_kg"), exactText(flown["sizing"]["SC_M_kg"].get<double>()));
  EXPECT_EQ(cell("max_force_N"), exactText(flown["max_force_N"].get<double>()));

  // A key added in the middle: every other column keeps its values.
  std::string added = base;
  added.insert(added.find("[[dispersion]]\nkey = \"boosters"),
               "[[dispersion]]\nkey = \"aero.drag_scale\"\ndistribution = \"uniform\"\n"
               "bounds = [-5, 5]\nrelative = true\n");
  writeFile(dir / "added.toml", added);
  const auto more = splitLines(dispersions("--runs 60", "added.toml").out);
  ASSERT_EQ(more.size(), 61u);
  for (std::size_t i = 1; i < more.size(); ++i) {
    std::vector<std::string> a, b;
    std::stringstream sa(lines[i]), sb(more[i]);
    for (std::string f; std::getline(sa, f, ',');) a.push_back(f);
    for (std::string f; std::getline(sb, f, ',');) b.push_back(f);
    ASSERT_GE(b.size(), 6u);
    EXPECT_EQ(std::vector(a.begin(), a.begin() + 3), std::vector(b.begin(), b.begin() + 3)) << i;
    EXPECT_EQ(a[3], b[4]) << i;
    EXPECT_EQ(a[4], b[5]) << i;
  }
}

TEST_F(Dispersions, ResumeEqualsAnUninterruptedCampaignAndAnInterruptLeavesCompleteRows) {
  const CommandRun whole = dispersions("--runs 40 --csv c.csv --json");
  ASSERT_EQ(whole.status, 0) << whole.err;
  const std::string rows = file("c.csv");
  // Stopped after 17 rows and part of the 18th.
  const std::size_t cut = [&] {
    std::size_t at = 0;
    for (int line = 0; line < 18; ++line) at = rows.find('\n', at) + 1;
    return at + 25;
  }();
  writeFile(dir / "c.csv", rows.substr(0, cut));
  const CommandRun resumed = dispersions("--runs 40 --csv c.csv --json --resume");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  EXPECT_EQ(file("c.csv"), rows);
  EXPECT_EQ(resumed.out, whole.out);
  writeFile(dir / "c.csv", rows.substr(0, cut));
  // Another campaign killed on the same CSV leaves the CSV and its manifest
  // as they were: a new manifest never stands beside the old rows.
  const std::string manifest = file("c.manifest.toml");
  const std::string killed = "cd '" + dir.path().string() + "' && timeout -s KILL 0.6 '" +
                             ASCENT_PROGRAM +
                             "' dispersions d.toml --seed 6 --turn-time 18 --limit 24.06 "
                             "--runs 200000 --csv c.csv 2> /dev/null";
  ASSERT_NE(std::system(killed.c_str()), 0);
  EXPECT_EQ(file("c.csv"), rows.substr(0, cut));
  EXPECT_EQ(file("c.manifest.toml"), manifest);

  // SIGTERM in a long campaign: status 143, only complete rows.
  const std::string line = "cd '" + dir.path().string() +
                           "' && timeout --preserve-status -k 30 -s TERM 0.6 '" + ASCENT_PROGRAM +
                           "' dispersions d.toml " + campaign +
                           " --runs 200000 --csv long.csv 2> /dev/null";
  const int status = std::system(line.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 143);
  const std::string partial = file("long.csv");
  ASSERT_GT(partial.size(), rows.find('\n') + 1);
  EXPECT_EQ(partial.back(), '\n');
  EXPECT_EQ(rows.compare(0, std::min(rows.size(), partial.size()), partial, 0,
                         std::min(rows.size(), partial.size())),
            0);
}

TEST_F(Dispersions, TheExampleCampaignAndTheGnuParallelRecipe) {
  if (std::system("command -v parallel > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "GNU parallel is not installed (apt-get install parallel)";
  }
  const std::string example = std::string(ASCENT_SHIPPED_DATA_DIR) + "/dispersions.toml";
  const CommandRun whole = dispersions("--runs 80 --csv whole.csv", "'" + example + "'");
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_NE(whole.out.find("Outcomes: orbit "), std::string::npos) << whole.out;
  const std::string line = "cd '" + dir.path().string() + "' && timeout -k 5 120 bash '" +
                           ASCENT_SOURCE_DIR + "/tools/parallel_dispersions.sh' '" +
                           ASCENT_PROGRAM + "' '" + example + "' 80 3 all.csv " + campaign +
                           " > summary.txt 2> /dev/null";
  ASSERT_EQ(std::system(line.c_str()), 0);
  EXPECT_EQ(file("all.csv"), file("whole.csv"));
  EXPECT_NE(file("summary.txt").find("Dispersions: 80 runs (0:80)"), std::string::npos);
}

TEST_F(Dispersions, ErrorsOfTheInputNameFileLineAndValue) {
  const std::string head = "schema = 1\n[[dispersion]]\n";
  const struct {
    std::string text;
    const char* message;
  } files[] = {
      {head + "key = \"core.thrust_M\"\ndistribution = \"normal\"\nsigma = 1\n",
       "bad.toml:3: unknown vehicle key 'core.thrust_M' (did you mean 'core.thrust_N'?)"},
      {head + "key = \"core.thrust_N\"\ndistribution = \"normal\"\nsigma = 0\n",
       "bad.toml:5: sigma = 0 must be > 0"},
      {head + "key = \"core.thrust_N\"\ndistribution = \"uniform\"\nbounds = [2, 1]\n",
       "bad.toml:5: bounds = [ 2, 1 ] are out of order"},
      {head + "key = \"core.thrust_N\"\ndistribution = \"gaussian\"\nsigma = 1\n",
       "bad.toml:4: distribution 'gaussian' is not one of normal, uniform, truncated_normal"},
      {head + "key = \"core.thrust_N\"\ndistribution = \"normal\"\nsigma = 1\n" +
           "[[dispersion]]\nkey = \"upper.thrust_N\"\ndistribution = \"normal\"\nsigma = 1\n" +
           "[[dispersion]]\nkey = \"core.exhaust_velocity_mps\"\ndistribution = \"normal\"\n" +
           "sigma = 1\n[[correlation]]\nkeys = [\"core.thrust_N\", \"upper.thrust_N\"]\n" +
           "coefficient = 0.9\n[[correlation]]\n" +
           "keys = [\"core.thrust_N\", \"core.exhaust_velocity_mps\"]\ncoefficient = 0.9\n" +
           "[[correlation]]\nkeys = [\"upper.thrust_N\", \"core.exhaust_velocity_mps\"]\n" +
           "coefficient = -0.9\n",
       "bad.toml:20: the correlations are not positive definite"},
  };
  for (const auto& f : files) {
    writeFile(dir / "bad.toml", f.text);
    const CommandRun run = dispersions("--runs 5 --csv out.csv", "bad.toml");
    EXPECT_EQ(run.status, 2) << f.message;
    EXPECT_EQ(run.err.rfind(std::string("ascent: ") + f.message, 0), 0u) << run.err;
    EXPECT_FALSE(exists("out.csv"));
    EXPECT_FALSE(exists("out.manifest.toml"));
  }
  const struct {
    const char* arguments;
    const char* message;
  } usages[] = {
      {"dispersions d.toml --seed 1 --turn-time 18", "ascent: --runs is required"},
      {"dispersions d.toml --seed 1 --turn-time 18 --runs 5:5",
       "ascent: --runs: the runs 5:5 hold no run"},
      {"dispersions d.toml --seed 1 --turn-time 18 --runs 5 --resume",
       "ascent: --resume: needs the --csv file"},
      {"dispersions d.toml --seed 1 --turn-time 18 --runs 5 --limit 24 --retarget",
       "ascent: --limit excludes --retarget"},
      {"dispersions --merge m.csv a.csv --seed 1", "ascent: --merge: takes only the shards"},
  };
  for (const auto& u : usages) {
    const CommandRun run = command(u.arguments);
    EXPECT_EQ(run.status, 2) << u.arguments;
    EXPECT_EQ(run.err.rfind(u.message, 0), 0u) << run.err;
  }
  const CommandRun directory = dispersions("--runs 5", ".");
  EXPECT_EQ(directory.status, 3);
  EXPECT_EQ(directory.err, "ascent: cannot read .: Is a directory\n");
}

}  // namespace
}  // namespace ascent::testing
