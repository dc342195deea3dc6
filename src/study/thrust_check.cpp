#include "study/thrust_check.h"

#include "mission/run_error.h"

namespace ascent {

namespace {

// Notes the warning and ends the mission once the boosters are gone: the
// rest of the flight reads no thrust record.
class BoosterPhaseObserver final : public MissionObserver {
 public:
  struct Done {};
  void event(Event event, double value) override {
    if (event == Event::LongRecordInterval && !check.longRecordInterval) {
      check.longRecordInterval = true;
      check.recordInterval_s = value;
    }
    if (event == Event::BoosterSeparation) throw Done{};
  }
  ThrustCheck check;
};

}  // namespace

bool failedForThrustFile(const MissionResult& result) {
  return result.outcome == Outcome::Failed && result.failureCode == errorCode::unusableData;
}

ThrustCheck checkThrustHistory(const ThrustHistory& history, const Vehicle& vehicle,
                               double turnTime_s) {
  BoosterPhaseObserver observer;
  RunRecord run;
  FlyOptions options;
  options.throwFailures = true;
  try {
    flyMission(history, vehicle, turnTime_s, 0, run, &observer, options);
  } catch (const BoosterPhaseObserver::Done&) {
  } catch (const Error& error) {
    if (error.code() == errorCode::unusableData) observer.check.problem = error.what();
  }
  return observer.check;
}

}  // namespace ascent
