// Signal handlers for the length of a scope: installed by the constructor,
// the previous ones restored by the destructor. A signal that the parent
// ignores (nohup, a background job) stays ignored, whatever the scope does.
#pragma once

#include <signal.h>

#include <cstddef>
#include <initializer_list>

namespace ascent {

enum class OnSignal {
  // Records the signal (report/interrupt_flag.h), forgetting one recorded
  // before, for the work to stop at its next safe point. A blocked read,
  // write or open returns (no SA_RESTART) and sees the flag.
  raiseFlag,
  // Ends gnuplot, removes every temporary file and directory, then ends the
  // program as the signal would.
  cleanUpAndEnd,
  // Ignored: a closed pipe or an exceeded file-size limit fails the write
  // (EPIPE, EFBIG) instead of ending the program.
  ignore,
};

class SignalScope {
 public:
  SignalScope(std::initializer_list<int> signals, OnSignal what);
  // `signal` handled by `handler`, which is given the signal's details.
  SignalScope(int signal, void (*handler)(int, siginfo_t*, void*));
  ~SignalScope();
  SignalScope(const SignalScope&) = delete;
  SignalScope& operator=(const SignalScope&) = delete;

 private:
  void install(int signal, const struct sigaction& action, bool keepIgnored);

  static constexpr std::size_t maxSignals = 4;
  int signals_[maxSignals] = {};
  struct sigaction previous_[maxSignals] = {};
  std::size_t count_ = 0;
};

}  // namespace ascent
