#include "app/prompt.h"

#include <string>

#include "ascent/errors.h"
#include "mission/number_reader.h"

namespace ascent {

namespace {

// Everything written so far becomes visible before the program waits for an
// answer: the prompt itself, and the report and data files, so that a user who
// stops at a prompt loses nothing and a failing report shows up at once.
void flushBeforeWaiting(RunContext& run) {
  for (OutStream* stream : {run.reportFile.get(), run.speedFile.get(), run.heightFile.get(),
                            run.accelFile.get(), run.dynpresFile.get(), run.console}) {
    if (stream != nullptr) stream->flush();
  }
}

std::string trimmed(std::string_view prompt) {
  while (!prompt.empty() && prompt.back() == ' ') prompt.remove_suffix(1);
  return std::string(prompt);
}

}  // namespace

bool promptReal(RunContext& run, std::string_view prompt, double& value) {
  run.console->write(prompt);
  flushBeforeWaiting(run);
  std::string token;
  double answer = 0;
  switch (readReal(run.input, answer, token)) {
    case ReadStatus::EndOfInput:
      return false;
    case ReadStatus::NotANumber:
      throw Error(errorCode::unusableData,
                  "not a number: " + quoteToken(token) + " (" + trimmed(prompt) + ")");
    case ReadStatus::Number:
      break;
  }
  skipRestOfLine(run.input);
  value = answer;
  run.writer->echoAnswer(prompt, value);
  return true;
}

void promptRequiredReal(RunContext& run, std::string_view prompt, double& value) {
  if (!promptReal(run, prompt, value)) {
    throw Error(errorCode::unusableData, "end of input (" + trimmed(prompt) + ")");
  }
}

}  // namespace ascent
