// An input file read whole, up to a size limit: the thrust file of the
// library (ThrustHistory::fromFile) and every input of the commands, so a
// file that never ends (a device, a FIFO that keeps writing) is refused at
// the same size through every door instead of filling the memory.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace ascent {

// The largest input file read (thrust file, vehicle, dispersion and data files).
constexpr std::size_t maxInputBytes = std::size_t{64} << 20;

// The whole of an input file; throws Error (the operating system's number,
// EFBIG beyond maxInputBytes) naming it. A FIFO is read as the dialogue reads
// it: opening waits for a writer.
std::string readInputFile(const std::string& name);

// open(2) with O_CLOEXEC, again when a signal interrupted it.
int openRetrying(const char* name, int flags, mode_t mode = 0);

}  // namespace ascent
