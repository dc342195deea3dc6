// The command line: no argument (or only --utf8) runs the dialogue; the
// commands fly, target, sweep and plot are the design tools.
#pragma once

namespace ascent {

// Parses the arguments, runs the dialogue or a command, returns the exit status.
int runCommandLine(int argc, char** argv);

}  // namespace ascent
