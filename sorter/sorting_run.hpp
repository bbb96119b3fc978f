#pragma once

#include "console_streams.hpp"

// The whole life of renumbrix: the banner, the two questions, the line loop
// and the two output files. Returns the process's exit status.
int runSorting(const ConsoleStreams& console);
