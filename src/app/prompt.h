// Prompted input: the one routine through which every number is read from the user.
#pragma once

#include <string_view>

#include "app/run_context.h"

namespace ascent {

// The prompts of a mission; a report file echoes each with its answer, which
// is how `ascent plot --report` learns a run's turn times and limits.
constexpr std::string_view turnTimePrompt = "Turn time (s)? ";
constexpr std::string_view limitPrompt = "Maximum angle of attack (degrees)? ";

// Shows `prompt` on the console, reads one number into `value` and discards the
// rest of its line; with a report file the prompt and answer are echoed there.
// Returns false, leaving `value` alone, when the input has ended. An answer
// that is not a number is run-time error 106.
[[nodiscard]] bool promptReal(RunContext& run, std::string_view prompt, double& value);

// As promptReal, but the end of the input is run-time error 106 too.
void promptRequiredReal(RunContext& run, std::string_view prompt, double& value);

}  // namespace ascent
