// Whole missions per second: booster, core and upper-stage phases and the
// summary, about 760 integration steps, on a booster thrust curve of our own
// making that reaches orbit, with the report (and the data files) written to
// discarding streams. The atmosphere tables are built once, before timing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/run.h"
#include "mission/mission.h"

namespace {

using namespace ascent;

// 20 MN per booster to 120 s, falling to zero at 126 s; a record every
// 0.986832971065 s up to 160 s.
std::string thrustCurve() {
  constexpr double interval = 0.986832971065;
  std::string text;
  char line[96];
  for (int k = 1; k * interval <= 160.0; ++k) {
    const double t = k * interval;
    const double thrust = t <= 120 ? 20e6 : t < 126 ? 20e6 * (126 - t) / 6 : 0.0;
    std::snprintf(line, sizeof line, "%.12f %.12f\n", t, thrust);
    text += line;
  }
  return text;
}

// Every mission reads the same thrust file; everything written is discarded.
class BenchFiles final : public FileSystem {
 public:
  std::unique_ptr<InStream> openRead(const std::string&) override {
    return std::make_unique<StringInStream>(thrust_);
  }
  std::unique_ptr<OutStream> create(const std::string&) override {
    return std::make_unique<NullOutStream>();
  }

 private:
  std::string thrust_ = thrustCurve();
};

// The report name once, then the same angle-of-attack limit for ever.
class BenchInput final : public InStream {
 public:
  explicit BenchInput(std::string reportName) : first_(std::move(reportName) + "\n") {}

 protected:
  int next() override {
    if (next_ < first_.size()) return static_cast<unsigned char>(first_[next_++]);
    const char c = limit_[repeat_];
    repeat_ = (repeat_ + 1) % limit_.size();
    return static_cast<unsigned char>(c);
  }

 private:
  std::string first_;
  std::size_t next_ = 0;
  const std::string limit_ = "3\n";
  std::size_t repeat_ = 0;
};

// range(0): 1 with a report file (four data files, echoed prompts), 0 on the screen.
void BM_Mission(benchmark::State& state) {
  const bool dataFiles = state.range(0) != 0;
  BenchInput input(dataFiles ? "report.txt" : "");
  NullOutStream screen;
  BenchFiles files;
  RunContext run(input, screen, files);
  startRun(run);
  run.state.turnTime = 10;
  // flyMission writes through virtual streams: nothing for the optimiser to drop.
  for (auto _ : state) flyMission(run);
  // An abandoned mission would leave no summary: the figure would mislead.
  if (run.state.averageAltitude < 200000) state.SkipWithError("the mission did not reach orbit");
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("items = missions");
}

}  // namespace

BENCHMARK(BM_Mission)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
