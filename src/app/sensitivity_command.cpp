// ascent sensitivity: parses nothing itself (app/sensitivity_cli.cpp); reads
// the files, flies the design through the study layer into its store, and
// prints, writes and charts the indices.
#include "app/sensitivity_command.h"

#include <optional>
#include <ostream>

#include "app/campaign_rows.h"
#include "app/command_safety.h"
#include "app/commands.h"
#include "app/gnuplot.h"
#include "app/report_command.h"
#include "app/sensitivity_charts.h"
#include "app/signal_scope.h"
#include "ascent/files.h"
#include "ascent/writers.h"
#include "files/campaign_csv.h"
#include "report/interrupt_flag.h"
#include "report/printf_text.h"
#include "report/sensitivity_text.h"

namespace ascent {

namespace {

// The outputs of every way of the command: the indices' CSV and charts.
struct IndexOutputs {
  std::unique_ptr<OutputFile> indices;
  std::unique_ptr<OutputFolder> charts;
  std::unique_ptr<OutputFile> page;
};

void addIndexOutputs(OutputSet& files, const SensitivityCommand& command) {
  if (!command.indicesFile.empty()) files.output(command.indicesFile, "the indices' CSV file");
  addSensitivityCharts(files, command.plotDirectory, command.output);
  if (!command.reportFile.empty()) files.output(command.reportFile, "the page");
  files.standardOutput();
  refuseClashes(files);
  if (!command.plotDirectory.empty()) requireGnuplot();
}

IndexOutputs createIndexOutputs(const SensitivityCommand& command) {
  IndexOutputs outputs;
  if (!command.indicesFile.empty()) {
    outputs.indices = std::make_unique<OutputFile>(command.indicesFile);
  }
  outputs.charts = createSensitivityCharts(command.plotDirectory, command.output);
  if (!command.reportFile.empty()) outputs.page = std::make_unique<OutputFile>(command.reportFile);
  return outputs;
}

// The indices as JSON on `out`, or as text; into their CSV and charts.
int finishSensitivity(const SensitivityResult& result, const SensitivityCommand& command,
                      IndexOutputs& outputs, std::ostream& out) {
  if (command.json) {
    out << jsonText(sensitivityValue(result)) << '\n';
  } else {
    out << sensitivityText(result, command.output);
  }
  out.flush();
  if (outputs.indices) {
    std::string csv = csvHeader(sobolSchema());
    for (const SobolEstimate& e : result.indices) {
      if (command.output.empty() || e.output == command.output) {
        csv += csvLine(sobolSchema(), SobolRowView{&e, &result});
      }
    }
    outputs.indices->write(csv);
    outputs.indices->commit();
  }
  if (outputs.charts && result.complete) plotSensitivity(result, command.output, *outputs.charts);
  if (outputs.page) {
    const std::string& csv = command.mergeFile.empty() ? command.csvFile : command.mergeFile;
    writeSensitivityPage(*outputs.page, result, csv.empty() ? "the study as flown" : csv,
                         csv.empty() ? "design.csv" : csv);
  }
  return exitStatus::ok;
}

}  // namespace

int runSensitivityCommand(const SensitivityCommand& command, std::ostream& out, std::ostream& err) {
  if (!command.mergeFile.empty()) return runSensitivityMerge(command, out, err);
  if (!command.givenFile.empty()) return runRankCorrelations(command, out, err);
  // From here on an interrupt ends the design's runs before the next.
  SignalScope interrupts({SIGINT, SIGTERM}, OnSignal::raiseFlag);

  const ThrustOption thrust = chooseThrustFile(command.thrust, err);
  OutputSet files;
  files.input(command.files.front(), "the dispersion file");
  addFlightInputs(files, thrust.file, command.vehicleFile);
  if (!command.csvFile.empty()) addCampaignCsv(files, command.csvFile);
  addIndexOutputs(files, command);
  const ChosenVehicle chosen = chooseVehicle(command.vehicleFile, err);
  const DispersionFile dispersions = readDispersionFile(command.files.front(), chosen.vehicle);
  const ThrustHistory history = readThrustFile(thrust);
  // Every output is created before the first run.
  const CampaignRowSchema schema = sensitivityRowSchema(dispersions.dispersions);
  std::optional<CampaignWriter> csv;
  if (!command.csvFile.empty()) csv.emplace(command.csvFile, schema.header() + '\n');
  IndexOutputs outputs = createIndexOutputs(command);
  std::ostream& words = command.json ? err : out;
  words << vehicleLine(chosen);

  CampaignRows observer({command.csvFile, command.resume, false}, out, words, err,
                        csv ? &*csv : nullptr, schema);
  const CampaignInputs inputs{{history, chosen.vehicle, chosen.path}, dispersions};
  const SensitivityResult result =
      runSensitivity(inputs, command.settings, command.jobs, observer, temporaryFileSpill());
  observer.clear();
  if (result.limit.verdict != Verdict::Converged) {
    err << "ascent: "
        << nominalLimitProblem(command.settings.campaign.turnTime_s, result.limit.verdict)
        << ": give --limit\n";
    return exitStatus::noDesign;
  }
  if (csv) csv->commit(result.manifest);
  if (const int signal = pendingInterrupt(); signal != 0) {
    err << format(
        "ascent: %s after %llu of %llu runs; %s\n", interruptReason(signal),
        static_cast<unsigned long long>(result.takenUp + result.flown),
        static_cast<unsigned long long>(result.manifest.endRun - result.manifest.firstRun),
        csv ? "--resume flies the rest" : "give --csv to keep the runs");
    return exitStatus::interruptedBy(signal);
  }
  return finishSensitivity(result, command, outputs, out);
}

int runSensitivityMerge(const SensitivityCommand& command, std::ostream& out, std::ostream& err) {
  OutputSet files;
  addMergeFiles(files, command.files, command.mergeFile);
  addIndexOutputs(files, command);
  IndexOutputs outputs = createIndexOutputs(command);
  const SensitivityResult result = mergeSensitivity(command.files, command.mergeFile,
                                                    command.settings, [](const CampaignRow&) {});
  (command.json ? err : out) << "Merged " << count(command.files.size(), "shard") << " into "
                             << command.mergeFile << '\n';
  return finishSensitivity(result, command, outputs, out);
}

int runRankCorrelations(const SensitivityCommand& command, std::ostream& out, std::ostream&) {
  OutputSet files;
  files.input(command.givenFile, "the campaign's CSV file");
  files.input(manifestPathFor(command.givenFile), "its manifest");
  if (!command.indicesFile.empty()) files.output(command.indicesFile, "the correlations' CSV file");
  files.standardOutput();
  refuseClashes(files);
  std::unique_ptr<OutputFile> csv;
  if (!command.indicesFile.empty()) csv = std::make_unique<OutputFile>(command.indicesFile);
  GivenRuns runs;
  const double reserve_kg = command.settings.campaign.minRemainingPropellant_kg;
  CampaignRead read =
      readCampaign(command.givenFile, [&](const CampaignRow& row) { runs.add(row, reserve_kg); });
  runs.keys = read.keys;
  std::vector<RankCorrelationEstimate> estimates = rankCorrelations(runs);
  if (!command.output.empty()) {
    std::erase_if(estimates, [&](const auto& e) { return e.output != command.output; });
  }
  if (command.json) {
    out << jsonText(rankCorrelationValue(estimates, read.manifest)) << '\n';
  } else {
    out << rankCorrelationText(estimates, command.givenFile, runs.outputs.runs(), command.output);
  }
  out.flush();
  if (csv) {
    std::string text = csvHeader(rankCorrelationSchema());
    for (const RankCorrelationEstimate& e : estimates) text += csvLine(rankCorrelationSchema(), e);
    csv->write(text);
    csv->commit();
  }
  return exitStatus::ok;
}

}  // namespace ascent
