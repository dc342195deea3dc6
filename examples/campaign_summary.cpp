// A dispersion campaign through the public API alone, written as the program
// writes one: its rows as CSV with the manifest beside them (the campaign
// store), and its summary as one line of JSON, each file complete or absent.
// The default vehicle flies every run at turn time 18 s, the limit targeted
// on the nominal vehicle.
//
//   campaign_summary THRUST DISPERSIONS RUNS OUT.csv OUT.json
#include <ascent/campaign.h>
#include <ascent/campaign_store.h>
#include <ascent/files.h>
#include <ascent/grammar.h>
#include <ascent/writers.h>

#include <cstdio>
#include <string>

namespace {

// Every row into the store, as it is flown.
class RowsToCsv final : public ascent::CampaignObserver {
 public:
  RowsToCsv(ascent::CampaignWriter& csv, const ascent::CampaignRowSchema& schema)
      : csv_(csv), schema_(schema) {}
  void row(const ascent::CampaignRow& row) override {
    csv_.write(ascent::campaignCsvLine(schema_, row));
  }

 private:
  ascent::CampaignWriter& csv_;
  const ascent::CampaignRowSchema& schema_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: campaign_summary THRUST DISPERSIONS RUNS OUT.csv OUT.json\n");
    return 2;
  }
  try {
    const ascent::ThrustHistory history = ascent::ThrustHistory::fromFile(argv[1]);
    const ascent::Vehicle& vehicle = ascent::Vehicle::defaults();
    const ascent::DispersionFile dispersions = ascent::readDispersionFile(argv[2], vehicle);
    ascent::CampaignSettings settings;
    ascent::parseRuns(argv[3], settings.firstRun, settings.endRun);
    settings.turnTime_s = 18;

    // Both outputs exist as temporary files before the first run.
    const ascent::CampaignRowSchema schema(dispersions.dispersions);
    ascent::CampaignWriter csv(argv[4], schema.header() + "\n");
    ascent::OutputFile json(argv[5]);
    RowsToCsv rows(csv, schema);
    const ascent::CampaignResult result = ascent::runCampaign(
        {{history, vehicle, ""}, dispersions}, settings, 0, rows, ascent::temporaryFileSpill());
    if (result.limit.verdict != ascent::Verdict::Converged) {
      std::fprintf(stderr, "%s\n",
                   ascent::nominalLimitProblem(settings.turnTime_s, result.limit.verdict).c_str());
      return 1;
    }
    csv.commit(result.manifest);
    json.write(ascent::jsonText(ascent::campaignSummaryValue(result.summary, result.manifest)) +
               "\n");
    json.commit();
    std::printf("%zu runs, %zu successes\n", result.summary.runs, result.summary.successes);
    return 0;
  } catch (const ascent::Error& error) {
    std::fprintf(stderr, "campaign_summary: %s\n", error.what());
    return 3;
  }
}
