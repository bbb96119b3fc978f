#pragma once

#include "console_streams.hpp"

// The whole life of tallyrun: the banner, then a running total after every
// line of console input. Returns the process's exit status.
int runLineCounter(const ConsoleStreams& console);
