#include "mission/number_reader.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "mission/floating_point.h"

namespace ascent {

namespace {

bool isSeparator(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Longest token kept; anything longer cannot be a sensible answer.
constexpr std::size_t maxTokenLength = std::size_t{1} << 21;

// optional sign, digits [ . digits ] | . digits, optional exponent
bool hasNumberSyntax(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && isDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == s.size();
}

}  // namespace

bool parseReal(std::string_view token, double& value) {
  if (token.size() > maxTokenLength || !hasNumberSyntax(token)) return false;
  // from_chars rounds correctly and raises no trap, but takes no plus sign
  // and refuses a value out of range (an overflow, or an underflow to zero):
  // strtod decides those.
  const std::string_view withoutPlus = token.front() == '+' ? token.substr(1) : token;
  const char* const last = withoutPlus.data() + withoutPlus.size();
  double parsed;
  const auto [end, error] = std::from_chars(withoutPlus.data(), last, parsed);
  if (error == std::errc() && end == last) {
    value = parsed;
    return true;
  }
  std::string text(token);
  // strtod rounds correctly; an overflow is refused, an underflow gives the
  // nearest double. Its intermediate flags must not reach the traps.
  return withoutTraps([&] {
    errno = 0;
    double result = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(result)) return false;
    value = result;
    return true;
  });
}

ReadStatus readReal(InStream& in, double& value, std::string& token) {
  token.clear();
  int c = in.get();
  while (c != InStream::endOfInput && isSeparator(c)) c = in.get();
  if (c == InStream::endOfInput) return ReadStatus::EndOfInput;
  while (c != InStream::endOfInput && !isSeparator(c)) {
    // A token this long is no number: no need to wait for an end that may never come.
    if (token.size() == maxTokenLength) return ReadStatus::NotANumber;
    token.push_back(static_cast<char>(c));
    c = in.get();
  }
  // The separator that ended the number belongs to the rest of the line.
  if (c != InStream::endOfInput) in.unget(c);
  if (!parseReal(token, value)) return ReadStatus::NotANumber;
  return ReadStatus::Number;
}

void skipRestOfLine(InStream& in) {
  int c = in.get();
  while (c != InStream::endOfInput && c != '\n') c = in.get();
}

bool readLine(InStream& in, std::string& line, std::size_t maxLength) {
  line.clear();
  int c = in.get();
  if (c == InStream::endOfInput) return false;
  bool carriageReturn = false;
  for (; c != InStream::endOfInput && c != '\n'; c = in.get()) {
    // A carriage return counts only just before the line end.
    if (carriageReturn) line.push_back('\r');
    carriageReturn = (c == '\r');
    if (!carriageReturn) line.push_back(static_cast<char>(c));
    if (line.size() > maxLength) break;
  }
  return true;
}

std::string quoteToken(std::string_view token) {
  constexpr std::size_t shown = 40;
  std::string quoted = "\"";
  for (std::size_t i = 0; i < token.size() && i < shown; ++i) {
    unsigned char c = static_cast<unsigned char>(token[i]);
    quoted.push_back(c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?');
  }
  if (token.size() > shown) quoted += "...";
  quoted += "\"";
  return quoted;
}

}  // namespace ascent
