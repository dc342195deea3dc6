// A sensitivity study's indices, and a campaign's rank correlations, as text
// to be read and as the data of their charts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ascent/sensitivity.h"

namespace ascent {

// The study in a line, then for each output (only `output` unless empty)
// its factors, the most important (largest total index) first, with both
// indices and their intervals and the runs left out; a study of part of the
// design says that its indices need every run.
std::string sensitivityText(const SensitivityResult& result, std::string_view output);

// The rank correlations of `runs` runs of `csvPath`, the largest |rho| first
// for each output (only `output` unless empty).
std::string rankCorrelationText(const std::vector<RankCorrelationEstimate>& estimates,
                                const std::string& csvPath, std::size_t runs,
                                std::string_view output);

// The data of one output's chart, the most important factor at the top:
// "y S1 S1_low S1_high ST ST_low ST_high name" lines, a missing index 0 with
// no interval. Empty when the study has no indices.
std::string sensitivityChartData(const SensitivityResult& result, std::string_view output);

// The estimates of one output, the most important first (none last).
std::vector<const SobolEstimate*> rankedEstimates(const SensitivityResult& result,
                                                  std::string_view output);

}  // namespace ascent
