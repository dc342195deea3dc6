#include "report/sensitivity_text.h"

#include <algorithm>
#include <cmath>

#include "ascent/text.h"
#include "report/printf_text.h"

namespace ascent {

namespace {

// "0.512  0.498 .. 0.526", or a dash where there is no index.
std::string indexText(const std::optional<double>& value, const std::optional<double>& low,
                      const std::optional<double>& high) {
  if (!value) return format("%6s  %-16s", "-", "");
  return format("%6.3f  %6.3f .. %6.3f", *value, *low, *high);
}

std::size_t widest(const std::vector<std::string>& names, std::size_t least) {
  std::size_t width = least;
  for (const std::string& name : names) width = std::max(width, name.size());
  return width;
}

bool wanted(std::string_view output, std::string_view asked) {
  return asked.empty() || output == asked;
}

// The first-order indices' sum: near 1 when the output is additive in its
// factors, lower as interactions hold more of its variance.
std::string firstOrderSum(const std::vector<const SobolEstimate*>& estimates) {
  double sum = 0;
  for (const SobolEstimate* e : estimates) {
    if (!e->first) return "no first-order sum (an index is missing)";
    sum += *e->first;
  }
  return format("first-order indices sum to %.3f", sum);
}

}  // namespace

std::vector<const SobolEstimate*> rankedEstimates(const SensitivityResult& result,
                                                  std::string_view output) {
  std::vector<const SobolEstimate*> ranked;
  for (const SobolEstimate& e : result.indices) {
    if (e.output == output) ranked.push_back(&e);
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const SobolEstimate* a, const SobolEstimate* b) {
                     return a->total.value_or(-INFINITY) > b->total.value_or(-INFINITY);
                   });
  return ranked;
}

std::string sensitivityText(const SensitivityResult& result, std::string_view output) {
  const std::uint64_t runs = result.rows * (result.factors.size() + 2);
  std::string text = format(
      "Sensitivity: %zu factors, %llu rows of A and B, %llu runs, seed %llu, %zu bootstrap "
      "resamples\n",
      result.factors.size(), static_cast<unsigned long long>(result.rows),
      static_cast<unsigned long long>(runs), static_cast<unsigned long long>(result.manifest.seed),
      result.resamples);
  for (const SensitivityFactor& f : result.factors) {
    if (f.group()) text += "Correlated keys, one factor: " + f.name + '\n';
  }
  if (!result.complete) {
    text += format(
        "Runs %llu:%llu of the design's %llu flown; the indices need every run (merge the shards "
        "with ascent sensitivity --merge)\n",
        static_cast<unsigned long long>(result.manifest.firstRun),
        static_cast<unsigned long long>(result.manifest.firstRun + result.takenUp + result.flown),
        static_cast<unsigned long long>(runs));
    return text;
  }
  std::vector<std::string> names;
  for (const SensitivityFactor& f : result.factors) names.push_back(f.name);
  const int width = static_cast<int>(widest(names, 6));
  for (const std::string_view name : sensitivityOutputNames()) {
    if (!wanted(name, output)) continue;
    const std::vector<const SobolEstimate*> ranked = rankedEstimates(result, name);
    text += '\n' + std::string(name) + ": " + firstOrderSum(ranked) + '\n';
    text += format("%-*s  %6s  %-16s  %6s  %-16s  %8s\n", width, "factor", "S1", "95 % interval",
                   "ST", "95 % interval", "left out");
    for (const SobolEstimate* e : ranked) {
      text += format("%-*s  %s  %s  %8zu\n", width, result.factors[e->factor].name.c_str(),
                     indexText(e->first, e->firstLow, e->firstHigh).c_str(),
                     indexText(e->total, e->totalLow, e->totalHigh).c_str(), e->leftOut);
    }
  }
  return text;
}

std::string rankCorrelationText(const std::vector<RankCorrelationEstimate>& estimates,
                                const std::string& csvPath, std::size_t runs,
                                std::string_view output) {
  std::string text = format(
      "Rank correlations (Spearman) over %zu runs of %s: they rank the keys, they are not shares "
      "of the variance\n",
      runs, csvPath.c_str());
  std::vector<std::string> keys;
  for (const RankCorrelationEstimate& e : estimates) keys.push_back(e.key);
  const int width = static_cast<int>(widest(keys, 3));
  for (const std::string_view name : sensitivityOutputNames()) {
    if (!wanted(name, output)) continue;
    std::vector<const RankCorrelationEstimate*> ranked;
    for (const RankCorrelationEstimate& e : estimates) {
      if (e.output == name) ranked.push_back(&e);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto* a, const auto* b) {
      return (a->rho ? std::fabs(*a->rho) : -1.0) > (b->rho ? std::fabs(*b->rho) : -1.0);
    });
    text += '\n' + std::string(name) + ":\n";
    text += format("%-*s  %6s  %-16s  %8s\n", width, "key", "rho", "95 % interval", "left out");
    for (const RankCorrelationEstimate* e : ranked) {
      text += format("%-*s  %s  %8zu\n", width, e->key.c_str(),
                     indexText(e->rho, e->low, e->high).c_str(), e->leftOut);
    }
  }
  return text;
}

std::string sensitivityChartData(const SensitivityResult& result, std::string_view output) {
  const std::vector<const SobolEstimate*> ranked = rankedEstimates(result, output);
  std::string data;
  std::size_t y = ranked.size();
  for (const SobolEstimate* e : ranked) {
    const auto cells = [](const std::optional<double>& v, const std::optional<double>& low,
                          const std::optional<double>& high) {
      return v ? exactText(*v) + ' ' + exactText(*low) + ' ' + exactText(*high) : "0 0 0";
    };
    data += std::to_string(y--) + ' ' + cells(e->first, e->firstLow, e->firstHigh) + ' ' +
            cells(e->total, e->totalLow, e->totalHigh) + " \"" + result.factors[e->factor].name +
            '"' + '\n';
  }
  return data;
}

}  // namespace ascent
