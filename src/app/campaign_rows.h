// What a command does as a campaign's runs are flown (a dispersion campaign
// or a sensitivity study's design): the limit said, a resumed CSV taken up,
// every row written to the CSV file or standard output, the progress line,
// and an interrupt that ends the runs before the next.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "app/campaign_progress.h"
#include "ascent/campaign_store.h"

namespace ascent {

struct CampaignRowsTo {
  std::string csvFile;  // empty: none
  bool resume = false;  // take up the rows the CSV file already has
  bool stdOut = false;  // the rows on standard output (no CSV file, no JSON)
};

class CampaignRows final : public CampaignObserver {
 public:
  CampaignRows(const CampaignRowsTo& to, std::ostream& out, std::ostream& words, std::ostream& err,
               CampaignWriter* csv, const CampaignRowSchema& schema)
      : to_(to), out_(out), words_(words), err_(err), csv_(csv), schema_(schema) {}

  std::uint64_t start(const CampaignManifest& manifest, const CampaignLimit& limit,
                      const Sampler& sampler,
                      const std::function<void(const CampaignRow&)>& add) override;
  void row(const CampaignRow& row) override;
  void longRecordInterval(double interval_s) override;
  void progress(std::size_t done, std::size_t) override {
    if (progress_) progress_->update(done);
  }
  bool stopRequested() override;
  void clear() {
    if (progress_) progress_->clear();
  }

 private:
  const CampaignRowsTo to_;
  std::ostream &out_, &words_, &err_;
  CampaignWriter* csv_;
  const CampaignRowSchema& schema_;
  std::optional<CampaignProgress> progress_;
};

}  // namespace ascent
