#include "app/signal_scope.h"

#include <stdexcept>

#include "app/gnuplot.h"
#include "files/output_set.h"
#include "report/interrupt_flag.h"

namespace ascent {

namespace {

void onInterrupt(int signal) {
  noteInterrupt(signal);
}

void onEndingSignal(int signal) {
  endGnuplot();
  removeTemporaryFiles();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

}  // namespace

SignalScope::SignalScope(std::initializer_list<int> signals, OnSignal what) {
  if (signals.size() > maxSignals) throw std::logic_error("too many signals for one scope");
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  switch (what) {
    case OnSignal::raiseFlag:
      clearInterrupt();
      action.sa_handler = onInterrupt;
      break;
    case OnSignal::cleanUpAndEnd:
      action.sa_handler = onEndingSignal;
      break;
    case OnSignal::ignore:
      action.sa_handler = SIG_IGN;
      break;
  }
  for (int signal : signals) install(signal, action, what != OnSignal::ignore);
}

SignalScope::SignalScope(int signal, void (*handler)(int, siginfo_t*, void*)) {
  struct sigaction action {};
  action.sa_sigaction = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_SIGINFO;
  install(signal, action, false);
}

void SignalScope::install(int signal, const struct sigaction& action, bool keepIgnored) {
  struct sigaction previous {};
  sigaction(signal, nullptr, &previous);
  if (keepIgnored && previous.sa_handler == SIG_IGN) return;
  signals_[count_] = signal;
  previous_[count_] = previous;
  ++count_;
  sigaction(signal, &action, nullptr);
}

SignalScope::~SignalScope() {
  for (std::size_t i = count_; i-- > 0;) sigaction(signals_[i], &previous_[i], nullptr);
}

}  // namespace ascent
