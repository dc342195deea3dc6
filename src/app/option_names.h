// Which option of the command line gives which setting of a study, and the
// number it was given without a unit, so that a study's refusal of a setting
// (InputError::setting()) names the option the user typed and, for a unit
// slip, the unit likely meant.
#pragma once

#include <string>
#include <string_view>

namespace ascent {

// Remembers that `option` gives the setting `setting` (a settings field,
// "target_altitude_m"), given no number yet.
void nameOption(std::string_view setting, const std::string& option);
// The option that gives `setting`; empty when no option was named for it.
std::string optionFor(std::string_view setting);

// Remembers the text `setting` was given as when it is a number without a
// unit (`bare`), so that a refusal a unit slip explains can say which unit
// was likely meant ("did you mean 300m?"); forgets it for a number with one.
void nameGivenNumber(std::string_view setting, const std::string& text, bool bare);
// The number without a unit `setting` was given as; empty when none was.
std::string bareNumberOf(std::string_view setting);

// The command given ("sweep"; empty: none), for the line that points a
// refused option to its help: "see `ascent sweep --help`".
void nameCommand(std::string_view command);
std::string helpLine();

}  // namespace ascent
