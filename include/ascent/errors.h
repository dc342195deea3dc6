// The errors of ascent, one hierarchy. An Error is a run-time error: its
// number and its reason. The dialogue stops with "Runtime error N: reason"
// and exit status N; a command prints "ascent: reason" and ends with its own
// status for a failure (3). ThrustFileError and VehicleError say which input
// a study cannot fly. An InputError is an Error whose reasons are the
// problems of what the user gave: a command prints each and ends with its
// usage status (2); the Python module raises a ValueError of its own.
#pragma once

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace ascent {

// The run-time error numbers that are the program's own. Every other number
// is the operating system's errno for a file that could not be opened, read,
// written or closed (2 no such file, 13 permission denied, 28 no space...),
// or 11 (EWOULDBLOCK) when another run holds the data files' lock.
namespace errorCode {
// A report name that is too long or holds a NUL byte, or an output that
// would be the thrust file or another output.
constexpr int badName = 5;
// No memory left (the operating system's ENOMEM).
constexpr int outOfMemory = 12;
// Data that cannot be used: an answer or a thrust-file field that is not a
// number, the end of the input where an answer is required, thrust records
// that no mission can fly, a data file with nothing to chart, what a user
// gave that a command refuses (InputError).
constexpr int unusableData = 106;
// The floating-point traps: division of a non-zero value by zero (ln 0),
// overflow, an invalid operation (0/0, the root or logarithm of a negative).
constexpr int divisionByZero = 200;
constexpr int overflow = 205;
constexpr int invalidOperation = 207;
// An interrupt: 128 + the signal's number, as a shell reports a process that
// the signal ended (130 SIGINT, 143 SIGTERM, 129 SIGHUP).
constexpr int interruptedBy(int signal) {
  return 128 + signal;
}
}  // namespace errorCode

class Error : public std::exception {
 public:
  Error(int code, std::string reason) : code_(code), reason_(std::move(reason)) {}
  // The run-time error number.
  int code() const { return code_; }
  const char* what() const noexcept override { return reason_.c_str(); }

 private:
  int code_;
  std::string reason_;
};

// A thrust file that cannot be opened or read (the operating system's number),
// or a history whose records no mission can fly (unusableData): the fault is
// the file's, whatever the vehicle. path() is the history's name.
class ThrustFileError : public Error {
 public:
  ThrustFileError(int code, std::string reason, std::string path)
      : Error(code, std::move(reason)), path_(std::move(path)) {}
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A vehicle whose values no mission can fly on a thrust history that the
// default vehicle flies (unusableData): the fault is the vehicle's.
class VehicleError : public Error {
 public:
  explicit VehicleError(std::string reason) : Error(errorCode::unusableData, std::move(reason)) {}
};

// Every problem of an input, each "FILE:LINE: what is wrong, the value and
// what is allowed", or one combination of files or values that a command
// refuses, or one setting of a study outside its domain. what() is the
// problems, one per line. A study's setting names itself by its field
// ("target_altitude_m"), so a front end can name its own spelling of it.
class InputError : public Error {
 public:
  explicit InputError(std::vector<std::string> problems, std::string setting = {},
                      std::string slipUnit = {})
      : Error(errorCode::unusableData, lines(problems)),
        problems_(std::move(problems)),
        setting_(std::move(setting)),
        slipUnit_(std::move(slipUnit)) {}
  const std::vector<std::string>& problems() const { return problems_; }
  // The settings field refused; empty when the problem is not one setting's.
  const std::string& setting() const { return setting_; }
  // The unit the setting was likely meant in had it been typed without one
  // (SettingProblem::slipUnit); empty when units do not explain the problem.
  const std::string& slipUnit() const { return slipUnit_; }

 private:
  static std::string lines(const std::vector<std::string>& problems) {
    std::string text;
    for (const std::string& p : problems) text += (text.empty() ? "" : "\n") + p;
    return text;
  }
  std::vector<std::string> problems_;
  std::string setting_;
  std::string slipUnit_;
};

// The Error of a failed system call on `what` (a file name): the operating
// system's number `err` (EIO when it gave none) and "ACTION WHAT: strerror".
[[noreturn]] void throwSystemError(int err, const std::string& action, const std::string& what);

}  // namespace ascent
