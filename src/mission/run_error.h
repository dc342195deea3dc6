// The one way to fail: a run-time error carries its number (the operating
// system's errno for file faults, 106 for data that cannot be used, 200/205/207
// for floating-point faults) to the single exit path of the run.
#pragma once

#include <string>

#include "ascent/ascent.h"

namespace ascent {

// Error numbers that are the program's own rather than the operating system's.
namespace errorCode {
constexpr int badName = 5;             // a report name that would destroy another file
constexpr int notANumber = 106;        // an answer or a thrust-file field that is not a number
constexpr int endOfInput = 106;        // the input ended where an answer is required
constexpr int cannotBeFlown = 106;     // thrust records that no mission can fly
constexpr int unusableData = 106;      // a data file that holds nothing to use
constexpr int divisionByZero = 200;    // division of a non-zero value by zero, ln 0
constexpr int overflow = 205;          // floating-point overflow
constexpr int invalidOperation = 207;  // 0/0, sqrt or ln of a negative number
}  // namespace errorCode

using RunError = Error;

// A RunError for a failed system call on `what` (a file name), from errno.
[[noreturn]] void throwSystemError(int err, const std::string& action, const std::string& what);

}  // namespace ascent
