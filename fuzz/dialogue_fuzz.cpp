// Fuzzes the whole standard input of a run: the report name line and every
// answer, with a booster thrust file that flies.
//
// One input flies at most three missions: it is cut after its first maxLines
// lines. The name takes one line and every answer at least one (a number may
// follow blank lines, and the rest of its line is dropped), so no more than
// three turn-time / angle-of-attack pairs fit, and an input costs a few
// milliseconds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

namespace {
constexpr int maxLines = 1 + 2 * 3;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  int lines = 0;
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '\n' && ++lines == maxLines) {
      input.resize(i + 1);
      break;
    }
  }
  ascent::fuzz::Run run;
  ascent::fuzz::runAndCheck(input, ascent::fuzz::flyableThrustFile(), run);
  return 0;
}
