#pragma once

#include "console_streams.hpp"

// The whole life of renumbrix: the banner, the two questions, the line loop
// and the two output files. Returns the process's exit status. When the
// caller will wait for a key after the run (`windowWaits`), the runs refused
// an output file end with the Quit hint too, as every other run does.
int runSorting(const ConsoleStreams& console, bool windowWaits = false);
