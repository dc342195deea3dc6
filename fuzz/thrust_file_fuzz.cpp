// Fuzzes the booster thrust file "s1.dat" under a fixed dialogue: a report
// file (so the data files are written too), one mission with turn time 5 s
// and angle of attack 20 degrees, then the end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string dialogue = "fuzz-report.txt\n5\n20\n-1\n";
  const std::string thrustFile(reinterpret_cast<const char*>(data), size);
  ascent::fuzz::Run run;
  ascent::fuzz::runAndCheck(dialogue, thrustFile, run);
  return 0;
}
