#pragma once

#include "console_streams.hpp"

// tallyrun's count of typed or pasted lines: the banner, then a running total
// after every line of console input, with a note on each line renumbrix would
// not take. Returns the process's exit status.
int runLineCounter(const ConsoleStreams& console);
