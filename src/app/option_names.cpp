#include "app/option_names.h"

#include <functional>
#include <map>

namespace ascent {

namespace {

std::map<std::string, std::string, std::less<>>& optionsOfSettings() {
  static std::map<std::string, std::string, std::less<>> options;
  return options;
}

std::string& commandName() {
  static std::string name;
  return name;
}

}  // namespace

void nameOption(std::string_view setting, const std::string& option) {
  optionsOfSettings()[std::string(setting)] = option;
}

std::string optionFor(std::string_view setting) {
  const auto& options = optionsOfSettings();
  const auto found = options.find(setting);
  return found == options.end() ? std::string() : found->second;
}

void nameCommand(std::string_view command) {
  commandName() = command;
}

std::string helpLine() {
  return "see `ascent " + (commandName().empty() ? "" : commandName() + " ") + "--help`\n";
}

}  // namespace ascent
