#pragma once

#include <string_view>

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
// Sorted.log, in the current folder.
SortingEnd runSorting(const ConsoleStreams& console);

// The same run for a block file named on the command line. The file is
// checked first, as tallyrun checks it; a block that is not ready is listed
// and refused before anything is touched. A ready block is sorted as the
// run above would sort its lines piped in after their count and a starting
// ID typed on the console, with Sorted.ide and Sorted.log in the block's own
// folder, which becomes the current one.
SortingEnd sortBlockFile(std::string_view name, const ConsoleStreams& console);

// The refusal of a command line with several block files: nothing touched.
SortingEnd refuseSeveralBlocks(const ConsoleStreams& console);
