// Charts drawn by gnuplot (the Debian package gnuplot-nox), fed a script on
// its standard input.
#pragma once

#include <string>

namespace ascent {

// Runs gnuplot on `script`; throws Error naming the package when gnuplot is
// not installed, and with gnuplot's own message when it fails.
void runGnuplot(const std::string& script);

// `text` as a gnuplot single-quoted string.
std::string gnuplotString(const std::string& text);

}  // namespace ascent
