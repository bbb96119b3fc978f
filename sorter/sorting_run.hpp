#pragma once

#include "console_streams.hpp"

// renumbrix's sorting run, driven over any three console streams: main binds
// it to the real console, tests and the fuzzer to descriptors of their own.

// How a run ended: the process's exit status, and whether the run's last
// word was "Press Any Key To Quit...", as at its common close.
struct SortingEnd {
    int status;
    bool quitHintShown;
};

// The whole life of renumbrix over the console streams: the banner, the two
// questions, the line loop, and the two output files, Sorted.ide and
// Sorted.log.
SortingEnd runSorting(const ConsoleStreams& console);
