// The signals of a dispersion campaign: an interrupt ends it between runs.
#pragma once

#include <signal.h>

#include <cstddef>

#include "report/interrupt_flag.h"

namespace ascent {

// SIGINT and SIGTERM only raise the flag while a campaign runs; the runs
// already started finish and are written.
class InterruptScope {
 public:
  InterruptScope() {
    clearInterrupt();
    struct sigaction action {};
    action.sa_handler = [](int signal) { noteInterrupt(signal); };
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < 2; ++i) {
      sigaction(signals_[i], nullptr, &previous_[i]);
      if (previous_[i].sa_handler == SIG_IGN) continue;  // ignored by the parent: stays ignored
      sigaction(signals_[i], &action, nullptr);
    }
  }
  ~InterruptScope() {
    for (std::size_t i = 0; i < 2; ++i) sigaction(signals_[i], &previous_[i], nullptr);
  }
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  static constexpr int signals_[2] = {SIGINT, SIGTERM};
  struct sigaction previous_[2];
};

}  // namespace ascent
