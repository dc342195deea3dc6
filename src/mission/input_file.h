// An input file read whole, up to a size limit: every file a command or the
// Python module reads (thrust, vehicle, dispersion, data files, manifests)
// comes through here, so that a name that names nothing, a directory, a FIFO
// and a file that never ends (a device, a FIFO that keeps writing) or is too
// large to be the input it claims to be end alike through every door.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace ascent {

// The largest input file read (thrust file, vehicle, dispersion and data files).
constexpr std::size_t maxInputBytes = std::size_t{64} << 20;

// Why `name` names no file ("the file name is empty"); empty when it names one.
std::string fileNameProblem(const std::string& name);

// The whole of an input file. Throws InputError for an empty name and Error
// (the operating system's number: EISDIR for a directory, EFBIG beyond
// `limit` bytes) naming the file. A FIFO is read as the dialogue reads it:
// opening waits for a writer.
std::string readInputFile(const std::string& name, std::size_t limit = maxInputBytes);

// "larger than 64 MiB" for a limit in whole MiB, else in bytes.
std::string sizeLimitText(std::size_t limit);

// open(2) with O_CLOEXEC, again when a signal interrupted it.
int openRetrying(const char* name, int flags, mode_t mode = 0);

}  // namespace ascent
