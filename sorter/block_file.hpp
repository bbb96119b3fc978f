#pragma once

// The front end of a block file named on the command line (or dropped on the
// program): the block is checked as tallyrun checks it, the starting ID is
// asked for, and the block is made sure to be unchanged; only then does the
// run (sorting_run.hpp) claim and empty Sorted.ide and Sorted.log, beside the
// block. Every refusal on the way leaves both files as they were.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/console_input.hpp"
#include "sorter/sorting_run.hpp"

// The run of the block file `name`, with the IDs in use under `folder`, the
// game's or the mod's, when one is given.
SortingEnd sortBlockFile(std::string_view name, std::optional<std::string_view> folder,
                         const ConsoleStreams& console);

// The refusal of a command line with several block files, or with a folder
// but not one block file: nothing touched.
SortingEnd refuseSeveralBlocks(const ConsoleStreams& console);
SortingEnd refuseFolderUsage(const ConsoleStreams& console);

// A starting ID as typed for a block of `lines` lines, judged as a whole
// line: a number from 1 to 999998, with blanks around it at most, whose last
// new ID (start + lines - 1) stays within 999998.
struct StartAnswer {
    enum class Kind {
        Taken,
        Empty,       // nothing but blanks
        NoNumber,    // anything else on the line: "4OO", "2o", "abc"
        OutOfRange,  // a number outside 1 to 999998
        TooHigh,     // a start whose last new ID would pass 999998
    };
    Kind kind = Kind::Empty;
    std::int32_t start = 0;
    std::size_t wrongAt = 0;  // NoNumber: where the first character that is no digit stands
    bool wrongFound = false;  // NoNumber: whether there is such a character (not "4 00")
};
StartAnswer judgeStartAnswer(std::string_view typed, std::int32_t lines);
