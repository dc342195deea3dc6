#include "report/printf_text.h"

#include <cstdarg>
#include <cstdio>

namespace ascent {

std::string format(const char* pattern, ...) {
  va_list arguments;
  va_start(arguments, pattern);
  char buffer[512];
  const int length = std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
  va_end(arguments);
  if (length < 0) return {};
  if (static_cast<std::size_t>(length) < sizeof buffer) return std::string(buffer, length);
  std::string text(static_cast<std::size_t>(length), '\0');
  va_start(arguments, pattern);
  std::vsnprintf(text.data(), text.size() + 1, pattern, arguments);
  va_end(arguments);
  return text;
}

std::string count(std::size_t number, const std::string& noun) {
  return std::to_string(number) + " " + noun + (number == 1 ? "" : "s");
}

}  // namespace ascent
