// Numbers and names as text, one way for the whole program: the shortest
// decimal form of a double, and the known name nearest to a misspelt one.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace ascent {

// The shortest decimal text that reads back as the same double ("24.06",
// "1e-05", "2e+05": fewer characters than 200000); "nan", "inf", "-inf" for
// the non-finite.
std::string exactText(double value);
// The same, appended to `out`.
void appendExact(std::string& out, double value);
// For messages: the fewest significant digits, in printf's %g form, that
// read back as the same double ("100000" where exactText gives "1e+05").
std::string readableText(double value);

// The name of `names` nearest to `word` in spelling (case aside; a dotted
// name also matches its last part), or empty when none is close enough to be
// what was meant.
std::string nearestName(std::string_view word, std::span<const std::string_view> names);
// " (did you mean 'NAME'?)" for the nearest name, or empty: the one wording
// of every such hint.
std::string didYouMean(std::string_view word, std::span<const std::string_view> names);

}  // namespace ascent
