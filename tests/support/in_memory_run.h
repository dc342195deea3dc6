// A run context on in-memory streams: the report (and the console) is the
// string reportBytes, files live in a MemoryFileSystem.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/run_context.h"

namespace ascent::testing {

struct InMemoryRun : ::testing::Test {
  std::string reportBytes;
  StringOutStream reportStream{reportBytes};
  StringInStream noInput{""};
  MemoryFileSystem files;
  RunContext run{noInput, reportStream, files};
  FlightState& s = run.state;

  InMemoryRun() {
    run.report = &reportStream;
    run.console = &reportStream;
  }
};

}  // namespace ascent::testing
