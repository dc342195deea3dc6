// The command line: no argument (or only --utf8) runs the dialogue; the
// commands fly, target, sweep and plot are the design tools.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace ascent {

// Why `app` refused its arguments when one of them is no command or option:
// "unknown command 'fyl' (did you mean 'fly'?)", "unknown option '--limt'
// (did you mean '--limit'?)" (among the options of the command given),
// "unexpected argument 'x'"; empty when every argument was taken.
std::string unknownArgumentReason(CLI::App& app);

// Parses the arguments, runs the dialogue or a command, returns the exit status.
int runCommandLine(int argc, char** argv);

}  // namespace ascent
