// What the module's campaign studies (dispersions, sensitivity) share: their
// whole numbers, guidance and dispersion file read as the command line reads
// them, the rows kept (and written to a campaign's CSV) as they are flown,
// and the error of a nominal vehicle that has no design.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ascent/campaign.h"
#include "ascent/campaign_store.h"
#include "calls.h"

namespace ascent::python {

// The decimal digits of a Python int of any size (anything operator.index
// takes, a flag aside), for the grammar to read as the command line reads
// its options: never wrapped.
std::string digitsOf(const py::handle& number, const char* keyword);

// A whole number 0 to 2**64 - 1 of a campaign (`what`: "the seed"), as
// campaignNumber reads its digits; its InputError names `keyword`.
std::uint64_t campaignNumberOf(const py::handle& number, const char* keyword, const char* what);

// The guidance as --guidance and --retarget take it, and the classes it
// knows as --know: ("vehicle", "launch_day") for "vehicle,launch_day".
void guidanceOf(const std::optional<std::string>& guidance, bool retarget,
                const std::optional<std::vector<std::string>>& know, CampaignSettings& settings);

// The dispersion file at `path`; DispersionFileError naming it.
DispersionFile readDispersions(const std::string& path, const Vehicle& nominal);

// NoDesignError: no limit was given and the nominal vehicle reaches no
// design orbit at the turn time.
[[noreturn]] void raiseNoDesign(double turnTime_s, Verdict verdict);

// Every row flown, kept in run order and, with a writer, written to the
// campaign's CSV as it comes; Ctrl-C ends the campaign between runs.
class KeptRows final : public Interruptible<CampaignObserver> {
 public:
  explicit KeptRows(std::uint64_t expected, CampaignWriter* csv = nullptr,
                    const CampaignRowSchema* schema = nullptr);
  void row(const CampaignRow& row) override;
  std::vector<CampaignRow> rows;

 private:
  CampaignWriter* csv_;
  const CampaignRowSchema* schema_;
};

}  // namespace ascent::python
