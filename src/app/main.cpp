// ascent: simulation of a three-stage launch vehicle's ascent, as an
// interactive dialogue or as design commands.
#include "app/cli.h"

int main(int argc, char** argv) { return ascent::runCommandLine(argc, argv); }
