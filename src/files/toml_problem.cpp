#include "files/toml_problem.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace ascent {

namespace {

constexpr std::string_view notInteger = "' is not representable in 64 bits";
constexpr std::string_view notReal = "' could not be interpreted as a value";

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Line `line` (counted from 1) of `text`, without its end.
std::string_view lineOf(std::string_view text, std::size_t line) {
  for (std::size_t n = 1; n < line; ++n) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return {};
    text.remove_prefix(end + 1);
  }
  return text.substr(0, text.find('\n'));
}

// The table of line `line`: the name of the last [table] header before it;
// empty at the top or in an array of tables ([[table]]).
std::string_view tableOf(std::string_view text, std::size_t line) {
  std::string_view table;
  for (std::size_t n = 1; n < line; ++n) {
    std::string_view current = lineOf(text, n);
    current.remove_prefix(std::min(current.find_first_not_of(" \t"), current.size()));
    if (current.substr(0, 2) == "[[") {
      table = {};
    } else if (!current.empty() && current.front() == '[') {
      table = current.substr(1, current.find(']') - 1);
    }
  }
  return table;
}

// The key before "= token" on `line`, with its table when it stands at the
// start of the line; empty when the token stands elsewhere.
std::string keyBefore(std::string_view text, std::size_t number, std::string_view token) {
  const std::string_view line = lineOf(text, number);
  std::size_t at = line.find(token);
  if (at == std::string_view::npos) return {};
  while (at > 0 && (line[at - 1] == ' ' || line[at - 1] == '\t')) --at;
  if (at == 0 || line[at - 1] != '=') return {};
  --at;
  while (at > 0 && (line[at - 1] == ' ' || line[at - 1] == '\t')) --at;
  const std::size_t end = at;
  while (at > 0 && line.substr(at - 1, 1).find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                        "abcdefghijklmnopqrstuvwxyz"
                                                        "0123456789_-.\"") == 0) {
    --at;
  }
  const std::string key(line.substr(at, end - at));
  const std::string_view table = tableOf(text, number);
  const bool startsLine = line.substr(0, at).find_first_not_of(" \t") == std::string_view::npos;
  return startsLine && !table.empty() && !key.empty() ? std::string(table) + "." + key : key;
}

}  // namespace

std::string tomlProblem(const toml::parse_error& error, std::string_view text) {
  const std::string_view description = error.description();
  const bool integer = endsWith(description, notInteger) &&
                       description.find("floating-point") == std::string_view::npos;
  if (!integer && !endsWith(description, notReal) && !endsWith(description, notInteger)) {
    return std::string(description);
  }
  const std::size_t open = description.find('\'');
  const std::size_t close = description.rfind('\'');
  if (open == std::string_view::npos || close <= open) return std::string(description);
  const std::string_view token = description.substr(open + 1, close - open - 1);
  const std::string key =
      keyBefore(text, static_cast<std::size_t>(error.source().begin.line), token);
  std::string problem =
      key.empty() ? std::string(token) : std::string(key) + " = " + std::string(token);
  if (integer) {
    problem += " is out of range of a TOML integer (" +
               std::to_string(std::numeric_limits<std::int64_t>::min()) + " to " +
               std::to_string(std::numeric_limits<std::int64_t>::max());
    const bool decimal = token.find_first_not_of("+-0123456789_") == std::string_view::npos;
    return problem + (decimal ? "; " + std::string(token) + ".0 is a real number)" : ")");
  }
  return problem +
         " is out of the range of numbers (2.2250738585072014e-308 to "
         "1.7976931348623157e+308 in size, or 0)";
}

}  // namespace ascent
