#include "app/plot_data.h"

#include "app/prompt.h"
#include "ascent/ascent.h"
#include "ascent/text.h"
#include "mission/number_reader.h"
#include "report/printf_text.h"

namespace ascent {

namespace {

constexpr std::size_t timeWidth = 7;
// A mission's first row is a step or two off the pad; a later drop below this
// time can only be a new mission.
constexpr double padTime_s = 1.0;

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool parseDataLine(std::string_view line, double& time_s, double& value) {
  if (line.size() > timeWidth && parseReal(trim(line.substr(0, timeWidth)), time_s) &&
      parseReal(trim(line.substr(timeWidth)), value)) {
    return true;
  }
  const std::string_view fields = trim(line);
  const std::size_t blank = fields.find_first_of(" \t");
  if (blank == std::string_view::npos) return false;
  double t = 0, v = 0;
  if (!parseReal(fields.substr(0, blank), t) || !parseReal(trim(fields.substr(blank)), v)) {
    return false;
  }
  time_s = t;
  value = v;
  return true;
}

namespace {

// The answer echoed after `prompt` at the start of `line`, without trailing
// zeros; empty when the line is not that echo or the answer not a number.
std::string echoedAnswer(std::string_view line, std::string_view prompt, double& value) {
  if (line.substr(0, prompt.size()) != prompt) return {};
  std::string_view answer = trim(line.substr(prompt.size()));
  if (!parseReal(answer, value)) return {};
  if (answer.find('.') != std::string_view::npos) {
    answer = answer.substr(0, answer.find_last_not_of('0') + 1);
    if (answer.back() == '.') answer.remove_suffix(1);
  }
  return std::string(answer);
}

}  // namespace

std::vector<ReportedMission> readReportedMissions(std::string_view text) {
  std::vector<ReportedMission> missions;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    double value = 0;
    if (std::string turnTime = echoedAnswer(line, turnTimePrompt, value); !turnTime.empty()) {
      if (value >= 1) missions.push_back({std::move(turnTime), {}});
    } else if (std::string limit = echoedAnswer(line, limitPrompt, value);
               !limit.empty() && !missions.empty()) {
      missions.back().limit_deg = std::move(limit);
    }
  }
  return missions;
}

double longestStepBack_s() {
  return Vehicle::defaults().boosters.record_interval_s + 0.01;
}

std::vector<Curve> readMissionCurves(std::string_view text, const std::string& name,
                                     std::vector<double>* lineTimes) {
  const double stepBack_s = longestStepBack_s();
  std::vector<Curve> curves;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    if (trim(line).empty()) continue;
    double t = 0, v = 0;
    if (!parseDataLine(line, t, v)) {
      throw Error(errorCode::unusableData,
                  name + " line " + std::to_string(lineNumber) + " is not two numbers");
    }
    if (lineTimes != nullptr) lineTimes->push_back(t);
    if (curves.empty() ||
        (t < curves.back().time_s.back() && (t <= curves.back().time_s.front() || t < padTime_s))) {
      curves.emplace_back();
    } else if (!(t >= curves.back().time_s.back() - stepBack_s)) {
      throw Error(errorCode::unusableData, name + " line " + std::to_string(lineNumber) +
                                               ": time " + exactText(t) +
                                               " s goes back more than one record interval from " +
                                               exactText(curves.back().time_s.back()) + " s");
    }
    Curve& curve = curves.back();
    while (!curve.time_s.empty() && curve.time_s.back() >= t) {
      curve.time_s.pop_back();
      curve.value.pop_back();
    }
    curve.time_s.push_back(t);
    curve.value.push_back(v);
  }
  return curves;
}

}  // namespace ascent
