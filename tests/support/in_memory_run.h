// A mission on in-memory streams: a flight state stepped with the shared
// atmosphere tables, watched by a ReportWriter whose report is the string
// reportBytes; data files, when asked for, live in a MemoryFileSystem.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "mission/mission.h"
#include "mission/mission_context.h"
#include "report/report_writer.h"
#include "report/streams.h"

namespace ascent::testing {

struct InMemoryRun : ::testing::Test {
  std::string reportBytes;
  StringOutStream reportStream{reportBytes};
  MemoryFileSystem files;
  FlightState s;
  RunRecord record;
  std::optional<ReportWriter> writer;
  Mission mission{s, sharedAtmosphereTables(), record, nullptr};

  InMemoryRun() { watchWith(ReportSettings{}); }

  // A report file: data files speed.dat ... dynpres.dat in `files`, the
  // file's signs and the run's peaks in the summary.
  void withDataFiles() {
    speedFile = files.create("speed.dat");
    heightFile = files.create("height.dat");
    accelFile = files.create("accel.dat");
    dynpresFile = files.create("dynpres.dat");
    ReportSettings settings;
    settings.reportFile = true;
    settings.signs = fileSigns();
    watchWith(settings, {speedFile.get(), heightFile.get(), accelFile.get(), dynpresFile.get()});
  }

  // Starts a new mission record on the same flight state and run.
  void newMission() { mission.record = MissionRecord{}; }

 private:
  void watchWith(const ReportSettings& settings, const DataFiles& data = {}) {
    writer.emplace(reportStream, data, settings);
    mission.observer = &*writer;
  }
  std::unique_ptr<OutStream> speedFile, heightFile, accelFile, dynpresFile;
};

}  // namespace ascent::testing
