#include "app/exit_status.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "app/option_names.h"

namespace ascent {

namespace {

constexpr int done[] = {exitStatus::ok};
constexpr int noDesign[] = {exitStatus::noDesign};
constexpr int usage[] = {exitStatus::usage};
constexpr int failure[] = {exitStatus::failure};
constexpr int interrupted[] = {exitStatus::interruptedBy(SIGHUP), exitStatus::interruptedBy(SIGINT),
                               exitStatus::interruptedBy(SIGTERM)};

constexpr ExitStatusRow commandRows[] = {
    {done, false,
     "done (`fly`: an orbit; `target`: converged; `sweep`: every row written, whatever its "
     "verdicts; `optimize`, `trade`: a design found; `performance`: a design at one altitude "
     "at least)"},
    {noDesign, false,
     "`fly`: the mission was abandoned, failed, suborbital or an escape; `target`: unreachable, "
     "not converged, outside the design, suborbital, escape, infeasible or no propellant left; "
     "`optimize`: no turn "
     "time of the range gives a design; `performance`: none at any altitude; `trade`: the "
     "vehicle as given has no design; `dispersions`, `sensitivity`: the nominal vehicle reaches "
     "no design orbit and no `--limit` was given; `dispersions`: a `--require`d output is not "
     "met or has too few runs to be verified (the summary is written in full)"},
    {usage, false,
     "an unknown command or option, a value outside its domain, a vehicle, dispersion or study "
     "file with problems, or an output that is an input, another output or standard output: one "
     "line on standard error per problem (for an option, then a line pointing to the command's "
     "`--help`)"},
    {failure, false,
     "a file could not be read, created or written (standard output too), an input is too large, "
     "the thrust file cannot be flown, gnuplot is missing, failed, ran out of time or wrote no "
     "chart, out of memory"},
    {interrupted, false,
     "interrupted by SIGHUP, SIGINT, SIGTERM (no output changed, no temporary file left; "
     "`dispersions` and `sensitivity` finish the runs started and write only complete rows)"},
};

constexpr int finished[] = {0};
constexpr int systemErrors[] = {ENOENT, EBADF, EACCES, EISDIR, EFBIG, ENOSPC, EPIPE};
constexpr int badName[] = {errorCode::badName};
constexpr int locked[] = {EWOULDBLOCK};
constexpr int outOfMemory[] = {errorCode::outOfMemory};
constexpr int unusableData[] = {errorCode::unusableData};
constexpr int interruptedRun[] = {errorCode::interruptedBy(SIGINT),
                                  errorCode::interruptedBy(SIGTERM),
                                  errorCode::interruptedBy(SIGHUP)};
constexpr int traps[] = {errorCode::divisionByZero, errorCode::overflow,
                         errorCode::invalidOperation};

constexpr ExitStatusRow dialogueRows[] = {
    {finished, false, "a negative turn time, or the end of the input at the turn-time prompt"},
    {systemErrors, true,
     "a file could not be created, opened, read, written or closed: the operating system's error "
     "number (2 no such file, 9 a standard stream is closed, 13 permission denied, 21 is a "
     "directory, 27 file too large, 28 no space left, 32 broken pipe)"},
    {badName, false,
     "the report name is longer than 255 characters or holds a NUL byte, or an output would be "
     "`s1.dat` or another output"},
    {locked, false,
     "another run is writing the data files of this directory (EAGAIN, EWOULDBLOCK)"},
    {outOfMemory, false, "out of memory"},
    {unusableData, false,
     "an answer or a thrust-file field is not a number, the input ended at the angle-of-attack "
     "prompt, or the thrust records cannot be flown"},
    {interruptedRun, false, "interrupted by SIGINT, SIGTERM, SIGHUP"},
    {traps, false, "floating-point division by zero, overflow, invalid operation"},
};

std::string statusList(const ExitStatusRow& row) {
  std::string text;
  for (std::size_t i = 0; i < row.statuses.size(); ++i) {
    text += (i == 0 ? "" : ", ") + std::to_string(row.statuses[i]);
  }
  return row.examples ? text + ", …" : text;
}

// The smallest status of a row, which orders the table.
int firstStatus(const ExitStatusRow& row) {
  return *std::min_element(row.statuses.begin(), row.statuses.end());
}

bool sameStatuses(const ExitStatusRow& a, const ExitStatusRow& b) {
  return std::is_permutation(a.statuses.begin(), a.statuses.end(), b.statuses.begin(),
                             b.statuses.end());
}

}  // namespace

std::span<const ExitStatusRow> commandExitStatuses() {
  return commandRows;
}

std::span<const ExitStatusRow> dialogueExitStatuses() {
  return dialogueRows;
}

std::string exitStatusMarkdown() {
  // One table: a row whose statuses mean something to both the dialogue and
  // the commands says both; every other row leaves the other column empty.
  struct Line {
    int first;
    std::string statuses, dialogue, commands;
  };
  std::vector<Line> lines;
  for (const ExitStatusRow& row : dialogueRows) {
    lines.push_back({firstStatus(row), statusList(row), std::string(row.meaning), "—"});
  }
  for (const ExitStatusRow& row : commandRows) {
    const auto shared =
        std::find_if(dialogueRows, std::end(dialogueRows),
                     [&row](const ExitStatusRow& d) { return sameStatuses(d, row); });
    if (shared != std::end(dialogueRows)) {
      lines[static_cast<std::size_t>(shared - dialogueRows)].commands = row.meaning;
    } else {
      lines.push_back({firstStatus(row), statusList(row), "—", std::string(row.meaning)});
    }
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Line& a, const Line& b) { return a.first < b.first; });
  std::string text = "| status | the dialogue (its run-time error number) | the commands |\n";
  text += "|---|---|---|\n";
  for (const Line& line : lines) {
    text += "| " + line.statuses + " | " + line.dialogue + " | " + line.commands + " |\n";
  }
  return text;
}

int commandFailure(const Error& error, std::ostream& err) {
  if (const auto* input = dynamic_cast<const InputError*>(&error)) {
    // A setting refused by its study is named by the option that gave it.
    const std::string option = optionFor(input->setting());
    const std::string prefix = option.empty() ? "ascent: " : "ascent: " + option + ": ";
    // A number typed without its unit, refused by a rule a unit slip explains.
    const std::string bare = input->slipUnit().empty() ? "" : bareNumberOf(input->setting());
    const std::string hint = bare.empty() ? "" : "; did you mean " + bare + input->slipUnit() + "?";
    for (const std::string& problem : input->problems()) err << prefix << problem << hint << '\n';
    if (!option.empty()) err << helpLine();
    return exitStatus::usage;
  }
  err << "ascent: " << error.what() << '\n';
  return exitStatus::failure;
}

}  // namespace ascent
