// The data files of a dialogue run ("speed.dat", "height.dat", "accel.dat",
// "dynpres.dat") read back as one curve per mission.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ascent {

struct Curve {
  std::vector<double> time_s;
  std::vector<double> value;
};

// One line of a data file: time in its first 7 characters (%7.2f), the value
// after it; a line whose fields do not fit those columns (a time of 10000 s
// or more) is split at blanks instead. False when it is not two numbers.
bool parseDataLine(std::string_view line, double& time_s, double& value);

// The missions of a run, one after another in the file: a mission starts
// where the time drops back to the pad (to the first time of the mission
// before, or below 1 s). Inside a mission the stepping goes back a few rows
// while it searches for an event; the rows it then replaces are dropped, so
// each curve runs forward in time. A search goes back at most one thrust
// record interval: a time that goes back further inside a mission is a fault
// of the file. Throws Error (106) naming the file and the line that is not
// two numbers or whose time goes back too far. `lineTimes`, when given,
// receives the time of every line.
std::vector<Curve> readMissionCurves(std::string_view text, const std::string& name,
                                     std::vector<double>* lineTimes = nullptr);

// A mission of a dialogue run as its report file echoes the answers: the
// turn time and, once the boosters were gone, the limit, as the report writes
// them (three decimals) without trailing zeros; the limit is empty for a
// mission that ended before it was asked.
struct ReportedMission {
  std::string turnTime_s;
  std::string limit_deg;
};
// Every mission of the report `text`: each turn time of 1 s or more that it
// echoes starts one (a shorter one was refused, a negative one ended the run).
std::vector<ReportedMission> readReportedMissions(std::string_view text);

// The longest step back of a search, s: one thrust record interval, and the
// rounding of two times to hundredths.
double longestStepBack_s();

}  // namespace ascent
