// The design commands against hostile command lines, one table per rule: each
// case runs shell lines around the program ($A) in a directory of its own
// holding the shipped thrust file (s1.dat, and its copy s1.orig) and
// dispersion file (d.toml), and checks
// the exit status, a part of standard error and, with a shell test, what is
// left on disk.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "e2e/e2e_support.h"

namespace ascent::testing {
namespace {

struct Case {
  std::string line;      // shell lines; $A is the program
  int status;            // of the last command of `line`
  const char* error;     // a part of standard error ("" : anything)
  const char* check;     // a shell test that must hold afterwards ("" : none)
  bool gnuplot = false;  // needs gnuplot
};

// A dialogue run with a report file: the four data files of one mission.
constexpr const char* dialogueRun = "printf 'r.txt\\n18\\n24\\n-1\\n' | $A > /dev/null; ";

struct DesignSafety : ProgramTest {
  void runTable(const std::vector<Case>& cases) {
    const bool haveGnuplot = std::system("command -v gnuplot > /dev/null 2>&1") == 0;
    int number = 0;
    for (const Case& c : cases) {
      const std::filesystem::path place = dir / ("case" + std::to_string(++number));
      if (c.gnuplot && !haveGnuplot) continue;
      std::filesystem::create_directory(place);
      for (const char* name : {"s1.dat", "s1.orig"}) {
        std::filesystem::copy_file(std::filesystem::path(ASCENT_SHIPPED_DATA_DIR) / "s1.dat",
                                   place / name);
      }
      std::filesystem::copy_file(
          std::filesystem::path(ASCENT_SHIPPED_DATA_DIR) / "dispersions.toml", place / "d.toml");
      writeFile(place / ".case.sh",
                std::string("A='") + ASCENT_PROGRAM + "'\n" + c.line + "\necho $? > .status\n" +
                    (*c.check ? std::string(c.check) : "true") + " || echo check failed >&2\n");
      const std::string command =
          "cd '" + place.string() + "' && timeout -k 5 100 sh .case.sh > .out 2> .err < /dev/null";
      ASSERT_NE(std::system(command.c_str()), -1);
      const std::string err = readFile(place / ".err");
      EXPECT_EQ(std::atoi(readFile(place / ".status").c_str()), c.status) << c.line << "\n" << err;
      EXPECT_NE(err.find(c.error), std::string::npos) << c.line << "\n" << err;
      EXPECT_EQ(err.find("check failed"), std::string::npos) << c.line << "\n" << err;
    }
  }
};

// Every output is a file of its own: refused before anything is flown or
// written, the old file kept when a run fails or is interrupted.
TEST_F(DesignSafety, OutputsNeverLandOnAnInputOrOnEachOther) {
  runTable({
      {"$A fly --turn-time 18 --limit 24 --trajectory s1.dat", 2,
       "the trajectory file s1.dat is the thrust file s1.dat", "cmp s1.dat s1.orig"},
      {"$A sweep --turn-time 5:6:1 --csv s1.dat", 2, "the CSV file s1.dat is the thrust file",
       "cmp s1.dat s1.orig"},
      {"$A sweep --turn-time 5:6:1 --plot ./s1.dat", 2, "the chart ./s1.dat is the thrust file",
       "cmp s1.dat s1.orig"},
      {"ln -s s1.dat l.csv; $A sweep --turn-time 5:6:1 --csv l.csv", 2, "is the thrust file",
       "cmp s1.dat s1.orig"},
      {"ln s1.dat h.csv; $A sweep --turn-time 5:6:1 --csv h.csv", 2, "is the thrust file",
       "cmp s1.dat s1.orig"},
      {"ln -s new.csv d.csv; $A sweep --turn-time 5:6:1 --csv d.csv --plot new.csv", 2,
       "the chart new.csv is the CSV file d.csv", "test ! -e new.csv"},
      {"$A sweep --turn-time 5:6:1 --csv x --plot x", 2, "the chart x is the CSV file x",
       "test ! -e x"},
      {"$A sweep --turn-time 5:6:1 >> s1.dat", 2, "standard output is the thrust file",
       "cmp s1.dat s1.orig"},
      {"$A fly --turn-time 18 --limit 24 --trajectory o.csv > o.csv", 2,
       "standard output is the trajectory file o.csv", ""},
      {"$A sweep --turn-time 5:6:1 --csv nowhere/x.csv", 3, "cannot create nowhere/x.csv", ""},
      {"echo old > o.csv; $A sweep --turn-time 18:19:1 --csv o.csv --plot /dev/full", 3,
       "cannot write /dev/full", "test \"$(cat o.csv)\" = old && ! ls -a | grep -q ascent-"},
      {"echo old > o.csv; $A sweep --turn-time 5:60:0.01 --csv o.csv --jobs 1 & sleep 1; "
       "kill -TERM $!; wait $!",
       128 + SIGTERM, "", "test \"$(cat o.csv)\" = old && ! ls -a | grep -q ascent-"},
      {"$A sweep --turn-time 5:6:1 > /dev/full", 3,
       "cannot write standard output: No space left on device", ""},
      {"$A --help > /dev/full", 3, "cannot write standard output", ""},
      {"$A --version > /dev/full", 3, "cannot write standard output", ""},
      {"$A sweep --turn-time 5:30:1 --csv o.csv --jobs 1 2> /dev/null & "
       "$A sweep --turn-time 5:30:1 --csv o.csv --jobs 1; wait",
       0, "", "test $(wc -l < o.csv) = 27 && ! ls -a | grep -q ascent-"},
  });
}

// gnuplot never sees a name, is looked for before flying, and writes a chart
// or says why not.
TEST_F(DesignSafety, GnuplotIsDrivenSafely) {
  runTable({
      {"$A sweep --turn-time 5:6:1 --plot \"$(printf 'x.png\\nsystem(\"touch HACKED\")\\n#')\"", 0,
       "", "test ! -e HACKED", true},
      {"d=\"$(printf 'r\\nsystem(\"touch HACKED\")\\n#')\"; mkdir \"$d\"; cd \"$d\"; cp ../s1.dat "
       ".; "
       "printf 'r.txt\\n18\\n24\\n-1\\n' | $A > /dev/null; cd ..; $A plot \"$d\"",
       0, "", "test ! -e HACKED && test -s \"$d/overview.png\"", true},
      {"$A sweep --turn-time 5:6:1 --altitude 5000 --plot e.png", 0,
       "Chart: none written (no converged turn time to draw)", "test ! -e e.png", true},
      {std::string(dialogueRun) +
           "mkdir tmp bin; printf '#!/bin/sh\\necho $$ > \"$PIDFILE\"\\nexec sleep 30\\n' > "
           "bin/gnuplot; chmod +x bin/gnuplot; PIDFILE=$PWD/gp.pid PATH=$PWD/bin:$PATH "
           "TMPDIR=$PWD/tmp $A plot . & sleep 1; kill -TERM $!; wait $!",
       128 + SIGTERM, "",
       "sleep 0.2; test -s gp.pid && { s=$(cut -d' ' -f3 /proc/$(cat gp.pid)/stat 2>/dev/null); "
       "test -z \"$s\" || test \"$s\" = Z; } && test -z \"$(ls tmp)\" && test ! -e speed.png"},
      {"PATH=/nonexistent; $A sweep --turn-time 5:6:1 --plot c.png", 3, "gnuplot-nox",
       "test ! -s .out"},
      {std::string(dialogueRun) + "ln -s speed.dat height.png; $A plot .", 0, "",
       "test \"$(head -c1 speed.dat)\" = ' ' && test ! -L height.png", true},
  });
}

// A campaign in a few seconds: $R are its runs and seed, $C its other options.
constexpr const char* campaign = "C='--turn-time 18 --jobs 2'; R='--runs 4 --seed 1'; ";

// A chart has a fixed name in a folder: whatever is planted there is replaced,
// never written through; a name the user typed is still written through.
TEST_F(DesignSafety, FixedNamesInAFolderAreReplacedNotFollowed) {
  runTable({
      {std::string(campaign) +
           "echo keep > i.txt; mkdir p; ln -s ../i.txt p/orbits.png; mkfifo p/SC_M.png; "
           "$A dispersions d.toml $R $C --plot p > /dev/null",
       0, "",
       "test \"$(cat i.txt)\" = keep && test -f p/orbits.png -a ! -L p/orbits.png -a -f p/SC_M.png",
       true},
      {std::string(dialogueRun) + "mkdir o; ln -s ../s1.dat o/speed.png; $A plot . --out o", 0, "",
       "cmp s1.dat s1.orig && test ! -L o/speed.png", true},
      {std::string(dialogueRun) + "ln -s speed.dat o.png; $A plot . --out o.png", 3,
       "cannot create the directory o.png: Not a directory", "test -L o.png"},
      {"ln -s t.csv l.csv; $A sweep --turn-time 5:6:1 --csv l.csv", 0, "",
       "test -L l.csv && test -s t.csv"},
      {std::string(campaign) + "echo keep > i.txt; ln -s i.txt c.manifest.toml; $A dispersions "
                               "d.toml $R $C --csv c.csv",
       0, "", "test \"$(cat i.txt)\" = keep && test -f c.manifest.toml -a ! -L c.manifest.toml"},
  });
}

// Every output and folder is created before the first mission is flown.
TEST_F(DesignSafety, OutputsThatCannotBeWrittenEndTheCommandBeforeItFlies) {
  runTable({
      {std::string(campaign) + "echo x > f; $A dispersions d.toml $R $C --plot f", 3,
       "cannot create the directory f: Not a directory", "! grep -q Limit .err", true},
      {std::string(campaign) + "$A dispersions d.toml $R $C --plot /proc/none", 3,
       "cannot create the directory /proc/none", "! grep -q Limit .err", true},
      {std::string(campaign) + "$A dispersions d.toml $R $C --csv no/c.csv", 3,
       "cannot create no/c.csv", "! grep -q Limit .err"},
      {std::string(campaign) + "$A dispersions d.toml $R $C --csv c.csv --plot c.csv", 2,
       "the chart folder c.csv is the CSV file c.csv", "test ! -e c.csv"},
      {std::string(campaign) + "$A dispersions d.toml $R --turn-time 1 --plot new/sub", 1,
       "reaches no design orbit", "test ! -e new", true},
      {std::string(campaign) + "$A dispersions d.toml $R $C --csv a.csv; echo x > f; "
                               "$A dispersions a.csv --merge m.csv --plot f",
       3, "cannot create the directory f", "test ! -e m.csv", true},
  });
}

// A row is kept only when its campaign draws its values.
TEST_F(DesignSafety, ResumeAndMergeKeepOnlyRowsTheCampaignDraws) {
  const std::string shards =
      std::string(campaign) +
      "$A dispersions d.toml $C --seed 1 --runs 0:2 --csv a.csv && $A dispersions d.toml $C "
      "--seed 1 --runs 2:4 --csv b.csv; ";
  runTable({
      {std::string(campaign) + "$A dispersions d.toml $C --runs 4 --seed 2 --csv c.csv; "
                               "$A dispersions d.toml $R $C --csv k.csv; cp k.manifest.toml "
                               "c.manifest.toml; $A dispersions d.toml $R $C --csv c.csv --resume",
       2, "c.csv:2: run 0: boosters.thrust_scale = ", "cmp c.manifest.toml k.manifest.toml"},
      {std::string(campaign) + "$A dispersions d.toml $R $C --csv c.csv; awk -F, -v OFS=, 'NR == 3 "
                               "{$2 = 2} 1' c.csv > e; mv e c.csv; "
                               "$A dispersions d.toml $R $C --csv c.csv --resume",
       2, "c.csv:3: run 1: boosters.thrust_scale = 2", ""},
      {shards + "awk -F, -v OFS=, 'NR == 2 {$2 = 2} 1' b.csv > e; mv e b.csv; $A dispersions a.csv "
                "b.csv --merge m.csv",
       2, "b.csv:2: run 2: boosters.thrust_scale = 2", "test ! -e m.csv"},
  });
}

// Every number and name has a domain: refused with 2, never clamped,
// wrapped or taken for none; an input too large and a full disk are 3.
TEST_F(DesignSafety, NumbersNamesAndSizesHaveTheirDomains) {
  const std::string c = campaign;
  runTable({
      {c + "$A dispersions d.toml $C --runs 4 --seed 18446744073709551616", 2,
       "--seed: the seed 18446744073709551616 is outside 0 to 18446744073709551615", ""},
      {c + "$A dispersions d.toml $C --seed 1 --runs 99999999999999999999", 2,
       "--runs: the run 99999999999999999999 is outside", ""},
      {"$A vehicle --check ''", 2, "--check: the file name is empty", ""},
      {"$A fly --turn-time 18 --limit 24 --vehicle ''", 2, "--vehicle: the file name is empty", ""},
      {"$A fly --turn-time 18 --limit 24 --trajectory ''", 2, "--trajectory: the file name", ""},
      {"$A sweep --turn-time 5:6:1 --csv ''", 2, "--csv: the file name is empty", ""},
      {"$A plot . --out ''", 2, "--out: the file name is empty", ""},
      {c + "$A dispersions '' $R $C", 2, "FILE: the file name is empty", ""},
      {c + "$A dispersions d.toml $R $C --plot ''", 2, "--plot: the file name is empty", ""},
      {"$A dispersions a.csv --merge ''", 2, "--merge: the file name is empty", ""},
      {c + "sed -i 's/sigma = 300 /sigma = 1e999/' d.toml; $A dispersions d.toml $R $C", 2,
       "sigma = 1e999 is out of the range of numbers", ""},
      {"head -c 2000000 /dev/zero | tr '\\0' '#' > v.toml; $A fly --turn-time 18 --limit 24 "
       "--vehicle v.toml",
       3, "cannot read v.toml: larger than 1 MiB", ""},
      {"$A trade --turn-time 18 > /dev/full", 3, "standard output: No space left on device", ""},
      {"$A vehicle > /dev/full", 3, "standard output: No space left on device", ""},
      {c + "$A dispersions d.toml $R $C > /dev/full", 3, "No space left on device", ""},
  });
}

// Only an orbit is an answer; a thrust file that cannot be flown is an input
// error found before the search, the vehicle's when the default vehicle flies it.
TEST_F(DesignSafety, VerdictsSayWhatHappened) {
  runTable({
      {"$A target --turn-time 1 > t.txt", 1, "",
       "grep -q '^Suborbital: .*perigee -205.9 km is below the minimum perigee 100 km' t.txt && "
       "! grep -q Converged t.txt"},
      {"$A sweep --turn-time 18:18:1 --altitude 50 > s.csv", 0, "Best design: none",
       "grep -q ',suborbital,' s.csv"},
      {"$A fly --turn-time 18 --limit 2 --json > f.json", 1, "",
       "grep -q '\"perigee_m\":null' f.json && grep -q '\"abandon_reason\":\"below_surface\"' "
       "f.json"},
      {"$A fly --turn-time 18 --limit 24 --min-perigee 250 > f.txt", 1, "",
       "grep -q ': suborbital: perigee 199.0 km$' f.txt"},
      {"$A fly --turn-time 40 --limit 20 > f.txt", 1, "",
       "grep -q ': escape$' f.txt && ! grep -q Perigee f.txt"},
      {": > e.dat; $A sweep --turn-time 5:6:1 --thrust e.dat", 3,
       "cannot fly the thrust file: e.dat ends before record 1", "test ! -s .out"},
      {"printf 'time thrust\\n' > h.dat; $A target --turn-time 18 --thrust h.dat", 3,
       "h.dat record 1: time is not a number", ""},
      {"printf '\\001\\377\\000binary' > b.dat; $A fly --turn-time 18 --limit 24 --thrust b.dat", 3,
       "b.dat record 1: time is not a number", ""},
      {"printf '1 100\\n0.5 100\\n' > g.dat; $A target --turn-time 18 --thrust g.dat", 3,
       "g.dat record 2: time 0.5 s is earlier than 1 s of record 1", ""},
      {"$A target --turn-time 300", 3, "the turn time 300 s ends after the last record of s1.dat",
       ""},
      {"awk 'NR % 2' s1.orig > s1.dat; $A fly --turn-time 18 --limit 24 > /dev/null", 0,
       "Error! Booster time increments must be at most", ""},
      {"printf 'schema = 1\\n[core]\\nthrust_N = 1e308\\n' > v.toml; "
       "$A target --turn-time 18 --vehicle v.toml",
       3, "cannot fly the vehicle file v.toml: the mission clock left", ""},
      {"printf 'schema = 1\\n[guidance]\\nguided_speed_factor = 0.7\\n' > v.toml; "
       "$A target --turn-time 18 --vehicle v.toml > t.txt",
       1, "", "grep -q '^Escape: at turn time 18 s every limit flown' t.txt"},
      {"printf 'schema = 1\\n[[dispersion]]\\nkey = \"core.thrust_N\"\\ndistribution = "
       "\"normal\"\\nsigma = 1\\n' > d.toml; "
       "$A dispersions d.toml --runs 2 --seed 1 --turn-time 18 --limit 1 2> s.txt >/dev/null",
       0, "", "grep -q '^SC_M_kg  *0  *-  *-  ' s.txt && grep -q 'ellipse: none (no orbit)' s.txt"},
      {"printf 'schema = 1\\n[[dispersion]]\\nkey = \"core.thrust_N\"\\ndistribution = "
       "\"normal\"\\nsigma = 1\\n' > d.toml; "
       "$A dispersions d.toml --runs 2 --seed 1 --turn-time 18 --limit 1 --plot c > /dev/null",
       0, "", "test -s c/orbits.png && test -s c/SC_M.png && test -s c/average_altitude.png", true},
  });
}

// Every number has a domain; integers are decimal.
TEST_F(DesignSafety, NumbersOutsideTheirDomainsAreRefused) {
  runTable({
      {"$A target --turn-time 18 --altitude 1e308", 2,
       "--altitude: the target altitude 1e+308 km is outside 1 to 100000 km", ""},
      {"$A fly --turn-time 18 --limit -1000", 2,
       "--limit: the maximum angle of attack -1000 deg is outside 0 to 90 deg", ""},
      {"$A fly --turn-time 18 --limit 1e9", 2, "outside 0 to 90 deg", ""},
      {"$A fly --turn-time 1e6 --limit 24", 2,
       "--turn-time: the turn time 1000000 s is outside 1 to 10000 s", ""},
      {"$A target --turn-time 18 --tolerance 5000", 2, "--tolerance", ""},
      {"$A target --turn-time 18 --first-guess 91", 2, "--first-guess", ""},
      {"$A target --turn-time 18 --min-perigee -5", 2, "--min-perigee", ""},
      {"$A target --turn-time 18 --max-missions 1e3", 2,
       "--max-missions: '1e3' is not a whole number", ""},
      {"$A target --turn-time 18 --max-missions 0x10", 2, "not a whole number", ""},
      {"$A sweep --turn-time 5:6:1 --jobs +2", 2, "not a whole number", ""},
      {"$A optimize --jobs +4", 2, "--jobs: '+4' is not a whole number", ""},
      {"$A trade --turn-time 18 --jobs 0x4", 2, "--jobs: '0x4' is not a whole number", ""},
      {"$A dispersions d.toml --runs 2 --seed 3 --turn-time 18 --jobs +4", 2,
       "--jobs: '+4' is not a whole number", ""},
  });
}

// Inputs have limits; plot checks what it charts.
TEST_F(DesignSafety, InputsAreCheckedBeforeTheyAreUsed) {
  runTable({
      {"$A fly --turn-time 18 --limit 24 --thrust /dev/zero", 3,
       "cannot read /dev/zero: larger than 64 MiB", ""},
      {"$A target --turn-time 18 --thrust .", 3, "cannot read .: Is a directory", ""},
      {"mkfifo f; $A fly --turn-time 18 --limit 24 --thrust f & sleep 0.5; kill -TERM $!; wait $!",
       128 + SIGTERM, "", ""},
      {"mkfifo o; $A sweep --turn-time 5:6:1 --csv o & sleep 0.5; kill -TERM $!; wait $!",
       128 + SIGTERM, "", "test -p o && ! ls -a | grep -q ascent-"},
      {std::string(dialogueRun) + "sed -i '30s/^.\\{7\\}/   3.00/' speed.dat; $A plot .", 3,
       "./speed.dat line 30: time 3 s goes back more than one record interval",
       "test ! -e speed.png", true},
      {std::string(dialogueRun) + "sed -i '$d' accel.dat; $A plot .", 3,
       "./accel.dat does not describe the missions of ./speed.dat", "", true},
  });
}

// What a new user meets: turn times as written, words in the right number.
TEST_F(DesignSafety, WordsAndNumbersReadAsWritten) {
  runTable({
      {"$A sweep --turn-time 18.1:18.2:0.05 > s.csv", 0, "Sweep: 3 turn times",
       "cut -d, -f1 s.csv | tr '\\n' ' ' | grep -qx 'turn_time_s 18.1 18.15 18.2 '"},
      {"$A sweep --turn-time 18:18:1 --csv s.csv > w.txt", 0, "",
       "grep -q '^Sweep: 1 turn time, 1 converged' w.txt"},
      {"$A target --turn-time 18 --max-missions 1 > t.txt", 1, "",
       "grep -q 'at most 1 mission$' t.txt && grep -q 'Not converged within 1 mission:' t.txt"},
      {"$A target --help", 0, "", "grep -q -- '--max-missions N ' .out"},
      {"printf '\\n18\\n24.06\\n-1\\n' | LC_ALL=C.UTF-8 $A --codepage > d.txt", 0, "",
       "LC_ALL=C grep -q \"$(printf '24.0768\\370')\" d.txt"},
  });
}

// On a terminal whose locale is UTF-8 the dialogue writes its signs in UTF-8.
TEST_F(DesignSafety, TheDialogueSpeaksUtf8OnAUtf8Terminal) {
  useShippedThrustFile();
  for (const auto& [locale, sign] : {std::pair{"C.UTF-8", "\xC2\xB0"}, {"C", "\xF8"}}) {
    ChildSetup setup = childSetup();
    setup.input = ChildSetup::Input::terminal;
    setup.beforeExec = [locale = std::string(locale)] {
      ::setenv("LC_ALL", locale.c_str(), 1);
      ::unsetenv("ASCENT_UTF8");
    };
    Child program(setup);
    program.send("\n18\n24.06\n-1\n");
    EXPECT_EQ(program.finish(), 0) << locale;
    EXPECT_NE(program.output.find(std::string("24.0768") + sign), std::string::npos) << locale;
  }
}

}  // namespace
}  // namespace ascent::testing
