// Shared by the fuzz targets: a whole run in memory and the checks that every
// run must pass whatever its input.
//
// The program itself stops at the first floating-point division by zero,
// invalid operation or overflow (traps, status 200, 207, 205). In-process runs
// install no traps, so such a fault would only leave inf or NaN behind, and a
// flight on NaN can loop for ever where the program would long have stopped.
// The streams and files below therefore look at the floating-point flags
// before every read, write, open and close (every integration step writes a
// table row) and, when one is raised, fail that operation with the status the
// trap would have given: the run ends through its ordinary exit path a few
// instructions later than the program would, but on the same input and with
// the same status. Checking before reads and opens too keeps a pending fault
// from being overtaken by an input error that the program would never reach.
//
// A mission writes about 120 KB of report and data files. The streams also
// count the bytes of a run, and past runawayBytes they stop it as a runaway
// flight, which the checks treat as a finding (a run that would not end, or
// only after many seconds), except in two places known to run long before
// the program itself ends the mission at 10000 s of mission time:
// - the core phase flies to 330 s and then burns its propellant to depletion,
//   both in 1 s steps: a huge booster thrust gives a hugely negative booster
//   residual, which adds its mass to the core propellant;
// - the upper-stage speed loops, in steps down to 0.01 s (up to a million
//   table rows).
// runAndCheck tells them apart by the event lines the mission has written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "ascent/errors.h"
#include "report/streams.h"

namespace ascent::fuzz {

// A booster thrust file that flies: the tests' thrust curve (records every
// nominal interval up to 160 s, 20 MN per booster to 120 s, falling linearly
// to 0 N at 126 s and 0 N after).
const std::string& flyableThrustFile();

// Throws the Error of a trap when a trapped floating-point flag is raised.
void checkTraps();

// Exit status of a run stopped as a runaway flight; the program has no such status.
constexpr int runawayStatus = 1000;
constexpr std::size_t runawayBytes = std::size_t{1} << 20;

// Passes everything to `inner`, after checkTraps; adds the bytes to `written`.
class TrapCheckingOutStream final : public OutStream {
 public:
  TrapCheckingOutStream(OutStream& inner, std::size_t& written)
      : inner_(inner), written_(written) {}
  TrapCheckingOutStream(std::unique_ptr<OutStream> owned, std::size_t& written)
      : owned_(std::move(owned)), inner_(*owned_), written_(written) {}
  void write(std::string_view bytes) override {
    // The exit path's own message: a fault raised after the last check (the
    // program would have trapped at once) must not swallow it.
    const bool exitMessage = bytes.find("Runtime error ") <= 1;
    if (!exitMessage) checkTraps();
    written_ += bytes.size();
    if (written_ > runawayBytes) {
      written_ = 0;  // lets the exit path write its message
      throw Error(runawayStatus, "runaway flight");
    }
    inner_.write(bytes);
    noteWritten(bytes);
  }
  void flush() override {
    checkTraps();
    inner_.flush();
  }
  void close() override {
    checkTraps();
    inner_.close();
  }
  void abandon() noexcept override { inner_.abandon(); }

 private:
  std::unique_ptr<OutStream> owned_;
  OutStream& inner_;
  std::size_t& written_;
};

// Takes its bytes from `inner`, after checkTraps.
class TrapCheckingInStream final : public InStream {
 public:
  explicit TrapCheckingInStream(InStream& inner) : inner_(inner) {}
  explicit TrapCheckingInStream(std::unique_ptr<InStream> owned)
      : owned_(std::move(owned)), inner_(*owned_) {}
  void close() override {
    checkTraps();
    inner_.close();
  }

 protected:
  int next() override {
    checkTraps();
    return inner_.get();
  }

 private:
  std::unique_ptr<InStream> owned_;
  InStream& inner_;
};

// Files in memory whose streams check the flags.
class TrapCheckingFileSystem final : public FileSystem {
 public:
  MemoryFileSystem memory;
  std::size_t written = 0;  // bytes written to every stream of the run
  std::unique_ptr<InStream> openRead(const std::string& name) override {
    checkTraps();
    return std::make_unique<TrapCheckingInStream>(memory.openRead(name));
  }
  std::unique_ptr<OutStream> create(const std::string& name) override {
    checkTraps();
    return std::make_unique<TrapCheckingOutStream>(memory.create(name), written);
  }
};

struct Run {
  TrapCheckingFileSystem files;
  std::string standardOutput;
  int status = -1;
};

// Runs the program on `input` with `thrustFile` as "s1.dat", then checks what
// must hold after any run: the exit status is 0, 5 (a report name that would
// replace another file), 106 (a bad answer or thrust-file field) or that of a
// trap; a failure ends standard output with its "Runtime error N: " line;
// "s1.dat" is unchanged; no runaway flight but the known ones. A broken check
// aborts, which libFuzzer reports as a crash.
void runAndCheck(const std::string& input, const std::string& thrustFile, Run& run);

}  // namespace ascent::fuzz
