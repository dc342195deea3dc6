// A mission in memory: a flight state stepped with the shared atmosphere
// tables, on a run record, watched by nobody. The report layer's tests watch
// it with a ReportWriter (report/in_memory_run.h).
#pragma once

#include <gtest/gtest.h>

#include "mission/mission.h"
#include "mission/mission_context.h"

namespace ascent::testing {

struct InMemoryMission : ::testing::Test {
  FlightState s;
  RunRecord record;
  Mission mission{s, sharedAtmosphereTables(), record, nullptr};

  // Starts a new mission record on the same flight state and run.
  void newMission() { mission.record = MissionRecord{}; }
};

}  // namespace ascent::testing
