#include "files/vehicle_file.h"

namespace ascent {

InputError::InputError(std::vector<std::string> problems) : problems_(std::move(problems)) {
  for (const std::string& p : problems_) text_ += (text_.empty() ? "" : "\n") + p;
}

}  // namespace ascent
