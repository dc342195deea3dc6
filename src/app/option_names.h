// Which option of the command line gives which setting of a study, so that a
// study's refusal of a setting (InputError::setting()) names the option the
// user typed.
#pragma once

#include <string>
#include <string_view>

namespace ascent {

// Remembers that `option` gives the setting `setting` (a settings field,
// "target_altitude_m").
void nameOption(std::string_view setting, const std::string& option);
// The option that gives `setting`; empty when no option was named for it.
std::string optionFor(std::string_view setting);

// The command given ("sweep"; empty: none), for the line that points a
// refused option to its help: "see `ascent sweep --help`".
void nameCommand(std::string_view command);
std::string helpLine();

}  // namespace ascent
