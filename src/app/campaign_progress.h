// The progress line of a dispersion campaign.
#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>

#include "app/command_safety.h"
#include "report/printf_text.h"

namespace ascent {

// Runs done, runs per second and time left on the progress line, at most
// four times a second: a campaign delivers runs far faster than anyone reads.
class CampaignProgress {
 public:
  CampaignProgress(std::ostream& err, std::size_t total, std::size_t done)
      : line_(err), total_(total), first_(done), start_(Clock::now()), last_(start_) {}
  void update(std::size_t done) {
    if (!line_.shown()) return;
    const Clock::time_point now = Clock::now();
    if (done < total_ && now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done - first_) / seconds : 0;
    const double left = rate > 0 ? static_cast<double>(total_ - done) / rate : 0;
    line_.show(format("%zu/%zu runs, %.0f runs/s, %.0f s left  ", done, total_, rate, left));
  }
  void clear() { line_.clear(); }

 private:
  using Clock = std::chrono::steady_clock;
  ProgressLine line_;
  std::size_t total_, first_;
  Clock::time_point start_, last_;
};

}  // namespace ascent
