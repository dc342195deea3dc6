// A mission in memory watched by a ReportWriter whose report is the string
// reportBytes; data files, when asked for, live in a MemoryFileSystem.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "mission/in_memory_mission.h"
#include "report/report_writer.h"
#include "report/streams.h"

namespace ascent::testing {

struct InMemoryRun : InMemoryMission {
  std::string reportBytes;
  StringOutStream reportStream{reportBytes};
  MemoryFileSystem files;
  std::optional<ReportWriter> writer;

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

 private:
  void watchWith(const ReportSettings& settings, const DataFiles& data = {}) {
    writer.emplace(reportStream, data, settings);
    mission.observer = &*writer;
  }
  std::unique_ptr<OutStream> speedFile, heightFile, accelFile, dynpresFile;
};

}  // namespace ascent::testing
