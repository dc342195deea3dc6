#include "app/campaign_rows.h"

#include "ascent/text.h"
#include "report/interrupt_flag.h"
#include "report/summary_text.h"

namespace ascent {

std::uint64_t CampaignRows::start(const CampaignManifest& manifest, const CampaignLimit& limit,
                                  const Sampler& sampler,
                                  const std::function<void(const CampaignRow&)>& add) {
  if (limit.targeted) {
    words_ << "Limit: " << exactText(limit.limit_deg) << " deg, targeted on the nominal vehicle\n";
  }
  std::uint64_t done = 0;
  if (csv_ != nullptr && to_.resume) {
    done = resumeCampaign(to_.csvFile, manifest, sampler, *csv_, add);
  } else if (to_.stdOut) {
    out_ << manifest.columns << '\n';
  }
  progress_.emplace(err_, manifest.endRun - manifest.firstRun, done);
  return done;
}

void CampaignRows::row(const CampaignRow& row) {
  if (csv_ != nullptr) {
    csv_->write(campaignCsvLine(schema_, row));
  } else if (to_.stdOut) {
    out_ << campaignCsvLine(schema_, row);
  }
}

void CampaignRows::longRecordInterval(double interval_s) {
  std::string line;
  longRecordIntervalLine(line, interval_s);
  err_ << line;
}

bool CampaignRows::stopRequested() {
  return pendingInterrupt() != 0;
}

}  // namespace ascent
