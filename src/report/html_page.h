// The pages a study's result goes to a review on: one self-contained HTML
// file, its styles and charts inline, the result's JSON embedded in it, and
// every number on it read from that JSON, so that what the page shows is what
// --json prints.
#pragma once

#include <string>
#include <string_view>

#include "ascent/schema.h"

namespace ascent {

// The text with &, <, >, " and ' as entities: safe in an element and in an
// attribute's quotes.
std::string htmlEscape(std::string_view text);

// `json` inside <script type="application/json" id="summary">: every "</"
// written "<\/" and every "<!--" "\u003c!--" (the same JSON), so that no text
// of it ends the script or changes how the page reads it.
std::string embeddedJson(std::string_view json);

// The member at `path` of `root`, its steps split by '/', a list's items
// numbered from 0: "success/wilson95/0". Null when there is none.
const Value& valueAt(const Value& root, std::string_view path);

// A number of the embedded JSON, as the page shows it: the value at `path`
// times `scale` with `digits` decimals, in a <span> that names its path,
// scale and digits (the page's test reads them back); "–" for null.
class JsonNumbers {
 public:
  explicit JsonNumbers(const Value& root) : root_(root) {}
  std::string operator()(std::string_view path, double scale = 1, int digits = 0) const;
  const Value& at(std::string_view path) const { return valueAt(root_, path); }

 private:
  const Value& root_;
};

// How an output's numbers are shown: in the unit a reader thinks in.
struct DisplayUnit {
  double scale = 1;  // SI value times scale
  int digits = 3;
  std::string_view unit;  // "km"; empty for a pure number
};
// By the SI unit that ends the output's name: "perigee_m" in km.
DisplayUnit displayUnitOf(std::string_view output);

// The whole page: `title` (escaped here), the body as given, the JSON embedded.
std::string htmlPage(std::string_view title, std::string_view body, const Value& embedded);

}  // namespace ascent
