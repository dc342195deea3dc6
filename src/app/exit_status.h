// The exit statuses of the program, in one table: the commands' own, and the
// dialogue's, which are its run-time error numbers (ascent/errors.h). Only
// this layer turns an error into a status; the manual's table is
// exitStatusMarkdown().
#pragma once

#include <csignal>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "ascent/errors.h"

namespace ascent {

// The statuses of the commands.
namespace exitStatus {
constexpr int ok = 0;
constexpr int noDesign = 1;  // the answer asked for does not exist
constexpr int usage = 2;     // what the user gave cannot be used: InputError
constexpr int failure = 3;   // the work could not be done: any other Error
// A command that a signal ended, as the shell reports it.
constexpr int interruptedBy(int signal) {
  return errorCode::interruptedBy(signal);
}
}  // namespace exitStatus

// Statuses that share one meaning, in the order shown.
struct ExitStatusRow {
  std::span<const int> statuses;
  bool examples;  // some of many: the operating system's error numbers
  std::string_view meaning;
};

// The commands' statuses, and the dialogue's (its run-time error numbers).
std::span<const ExitStatusRow> commandExitStatuses();
std::span<const ExitStatusRow> dialogueExitStatuses();

// Both tables as Markdown, as docs/exit-status.md holds them.
std::string exitStatusMarkdown();

// Writes "ascent: REASON" for each reason of `error` on `err` and returns the
// command's status for it: usage for an InputError, failure for any other.
int commandFailure(const Error& error, std::ostream& err);

}  // namespace ascent
