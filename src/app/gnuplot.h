// Charts drawn by gnuplot (the Debian package gnuplot-nox). gnuplot never
// sees a name given to ascent: it runs in a private temporary directory,
// reads its script from a file with a fixed name there and writes its charts
// to fixed names there; ascent takes the charts back and writes them into
// place itself.
#pragma once

#include <string>
#include <vector>

namespace ascent {

// Throws Error naming the package when gnuplot is not installed: called
// before any work that a chart would end.
void requireGnuplot();

// Runs `script`, which writes the charts named by chartName(0), chartName(1),
// ... (`charts` of them), under a time limit; returns each chart's bytes,
// checked to be a PNG. Throws Error with gnuplot's own message when it fails
// or writes no chart. A signal that ends ascent ends gnuplot too
// (endGnuplot) and removes its directory.
std::vector<std::string> runGnuplot(const std::string& script, std::size_t charts);

// The fixed name of chart `index` inside gnuplot's directory ("chart0.png").
std::string chartName(std::size_t index);

// `text` as a gnuplot single-quoted string; control characters, which could
// end the string or the command, become '?'.
std::string gnuplotString(const std::string& text);

// Kills a running gnuplot; async-signal-safe.
void endGnuplot() noexcept;

}  // namespace ascent
