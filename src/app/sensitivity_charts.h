// The charts of a sensitivity study (--plot DIR): for each output a bar
// chart of each factor's first-order and total indices with their
// intervals, drawn by gnuplot.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/sensitivity.h"
#include "files/output_set.h"

namespace ascent {

// "sensitivity_SC_M_kg.png", ...: one chart per output, only `output`'s
// when one is asked.
std::vector<std::string> sensitivityChartFiles(std::string_view output);

// The chart files in DIR as outputs of the set; nothing for no directory.
void addSensitivityCharts(OutputSet& files, const std::string& directory, std::string_view output);

// The folder (created when missing) and its chart files, created before any
// run; none for no directory.
std::unique_ptr<OutputFolder> createSensitivityCharts(const std::string& directory,
                                                      std::string_view output);

// Draws the charts of the study's indices into the folder's files.
void plotSensitivity(const SensitivityResult& result, std::string_view output,
                     OutputFolder& charts);

}  // namespace ascent
