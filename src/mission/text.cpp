// Numbers and names as text (ascent/text.h).
#include "ascent/text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ascent {

void appendExact(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "nan";
    return;
  }
  if (std::isinf(value)) {
    out += value > 0 ? "inf" : "-inf";
    return;
  }
  // std::to_chars without a precision gives the shortest text that reads back
  // as the same double, the choice between fixed and scientific included.
  char buffer[32];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  out.append(buffer, static_cast<std::size_t>(end - buffer));
}

std::string exactText(double value) {
  std::string text;
  appendExact(text, value);
  return text;
}

std::string readableText(double value) {
  if (!std::isfinite(value)) return exactText(value);
  char buffer[40];
  int digits = 1;
  for (; digits < 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  // Whole numbers of up to 17 digits in full: 100000, not 1e+05.
  if (value != 0) {
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    if (exponent >= digits && exponent < 17) digits = exponent + 1;
  }
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

namespace {

// The Levenshtein distance, case aside.
std::size_t distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string nearestName(std::string_view word, std::span<const std::string_view> names) {
  std::string_view best;
  std::size_t bestScore = 0;
  for (std::string_view name : names) {
    const std::size_t d = distance(word, name);
    // A dotted name given without its part ("thrust_N" for "core.thrust_N") is near too.
    const std::size_t dot = name.find('.');
    const bool tail = dot != std::string_view::npos && name.substr(dot + 1) == word;
    const std::size_t score = tail ? 0 : d;
    if (best.empty() || score < bestScore) {
      best = name;
      bestScore = score;
    }
  }
  // Close enough: a third of the word or three edits, but never all of a short word.
  const std::size_t allowed =
      std::min(std::max<std::size_t>(3, word.size() / 3), word.empty() ? 0 : word.size() - 1);
  if (best.empty() || bestScore > allowed) return {};
  return std::string(best);
}

std::string didYouMean(std::string_view word, std::span<const std::string_view> names) {
  const std::string nearest = nearestName(word, names);
  return nearest.empty() ? std::string() : " (did you mean '" + nearest + "'?)";
}

}  // namespace ascent
