// Numbers typed at the prompts and stored in the booster thrust file are read
// the way a numeric read of a text file reads them: leading blanks, tabs and
// line ends are skipped, the number is the characters up to the next blank,
// tab, line end or end of input, and it must be an optional sign, digits with
// an optional fraction (at least one digit) and an optional exponent.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "mission/text_input.h"

namespace ascent {

enum class ReadStatus {
  Number,      // a number that fits a double (one too small reads as its nearest double)
  EndOfInput,  // nothing but blanks before the end of the input
  NotANumber,  // a token that is not a number, or one beyond the range of a double
};

// Parses a whole token; false when it is not a number or overflows a double.
bool parseReal(std::string_view token, double& value);

// Reads the next number; on NotANumber `token` holds the offending characters.
ReadStatus readReal(InStream& in, double& value, std::string& token);

// Discards the rest of the current line, its line end included.
void skipRestOfLine(InStream& in);

// Reads one line, keeping at most `maxKept` bytes of it; the line end (with a
// carriage return before it) is removed. False when the input had ended before.
bool readLine(InStream& in, std::string& line, std::size_t maxKept);

// A short, printable rendering of a token for an error message.
std::string quoteToken(std::string_view token);

}  // namespace ascent
