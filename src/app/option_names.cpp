#include "app/option_names.h"

#include <functional>
#include <map>

namespace ascent {

namespace {

std::map<std::string, std::string, std::less<>>& optionsOfSettings() {
  static std::map<std::string, std::string, std::less<>> options;
  return options;
}

std::map<std::string, std::string, std::less<>>& bareNumbers() {
  static std::map<std::string, std::string, std::less<>> numbers;
  return numbers;
}

std::string& commandName() {
  static std::string name;
  return name;
}

}  // namespace

// Each command line is parsed afresh: naming its option forgets what an
// earlier one gave the setting.
void nameOption(std::string_view setting, const std::string& option) {
  optionsOfSettings()[std::string(setting)] = option;
  nameGivenNumber(setting, "", false);
}

std::string optionFor(std::string_view setting) {
  const auto& options = optionsOfSettings();
  const auto found = options.find(setting);
  return found == options.end() ? std::string() : found->second;
}

void nameGivenNumber(std::string_view setting, const std::string& text, bool bare) {
  auto& numbers = bareNumbers();
  if (bare) {
    numbers[std::string(setting)] = text;
  } else if (const auto found = numbers.find(setting); found != numbers.end()) {
    numbers.erase(found);
  }
}

std::string bareNumberOf(std::string_view setting) {
  const auto& numbers = bareNumbers();
  const auto found = numbers.find(setting);
  return found == numbers.end() ? std::string() : found->second;
}

void nameCommand(std::string_view command) {
  commandName() = command;
}

std::string helpLine() {
  return "see `ascent " + (commandName().empty() ? "" : commandName() + " ") + "--help`\n";
}

}  // namespace ascent
