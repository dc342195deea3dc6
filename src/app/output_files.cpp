#include "app/output_files.h"

#include <memory>
#include <optional>
#include <string>

#include "ascent/errors.h"
#include "files/output_set.h"
#include "mission/number_reader.h"

namespace ascent {

namespace {

constexpr const char* dataFileNames[] = {"speed.dat", "height.dat", "accel.dat", "dynpres.dat"};

void refuseUnusableName(const std::string& name) {
  // A name cut to fit could be another, existing file, which would be emptied.
  if (name.size() > maxReportNameLength) {
    throw Error(errorCode::badName, "the report file name is longer than " +
                                        std::to_string(maxReportNameLength) + " characters (" +
                                        quoteToken(name) + ")");
  }
  if (name.find('\0') != std::string::npos) {
    throw Error(errorCode::badName, "the report file name contains a NUL byte");
  }
}

// Every output is compared, as a file, with the thrust file and with every
// other output, by the commands' rule: a report named after a data file, a
// data file linked to the thrust file or to the report, or a dangling link to
// a data file would make two of them one file.
void refuseSharedFiles(FileSystem& files, const std::string& reportName,
                       const std::string& thrustFile) {
  OutputSet outputs(
      [&files](const std::string& a, const std::string& b) { return files.sameFile(a, b); });
  outputs.output(reportName, "the report file");
  for (const char* data : dataFileNames) outputs.output(data, std::string("the data file ") + data);
  outputs.input(thrustFile, "the thrust file");
  const std::optional<OutputSet::Clash> clash = outputs.firstClash();
  if (!clash) return;
  const bool report = clash->output == 0;
  throw Error(errorCode::badName, outputs.role(clash->output) + " must not be " +
                                      outputs.name(clash->other) +
                                      (report ? " (" + quoteToken(reportName) + ")" : ""));
}

}  // namespace

void openOutputFiles(RunContext& run) {
  const std::string& name = run.reportName;
  if (name.empty()) {
    run.report = &run.standardOutput;
    return;
  }
  refuseUnusableName(name);
  refuseSharedFiles(run.files, name, run.thrustFile);

  // Nothing is emptied before every data file is locked: a second run in this
  // directory stops here and leaves the first run's files alone.
  OpenedFile report = run.files.openForWriting(name, FileSystem::Lock::none);
  run.reportFile = std::move(report.stream);
  run.report = run.reportFile.get();
  std::unique_ptr<OutStream>* dataFiles[] = {&run.speedFile, &run.heightFile, &run.accelFile,
                                             &run.dynpresFile};
  try {
    for (std::size_t i = 0; i < std::size(dataFiles); ++i) {
      *dataFiles[i] =
          run.files.openForWriting(dataFileNames[i], FileSystem::Lock::exclusive).stream;
    }
  } catch (...) {
    if (report.created) {
      run.report = nullptr;
      run.reportFile.reset();
      run.files.remove(name);
    }
    throw;
  }
  run.reportFile->truncate();
  for (auto* file : dataFiles) (*file)->truncate();
}

}  // namespace ascent
