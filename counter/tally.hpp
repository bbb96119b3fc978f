#pragma once

// tallyrun's three jobs, each returning the process's exit status.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/console_input.hpp"
#include "common/console_output.hpp"

// The count of typed or pasted lines: the banner, then a running total after
// every line of console input, with a note on each line renumbrix would not
// take, and at the end the count to declare; 1 when input cannot be read or
// a total cannot be written.
int runLineCounter(const ConsoleStreams& console);

// The block check of each file named ("-" is console input): every line
// renumbrix would not take, with the reason, then the count to declare; 0
// when every block is ready, 1 when lines were listed, 2 when a file cannot
// be read or the result cannot be written.
int runBlockCheck(const std::vector<std::string_view>& names, const ConsoleStreams& console);

// The block check of one file, on `out` and `err`, with its status as above;
// `taken` gets the lines renumbrix would take, where the file was read.
int checkFile(std::string_view name, const ConsoleStreams& console, LineWriter& out,
              LineWriter& err, std::int64_t* taken);

// The report on the IDE files under `folder` (folder_check.cpp), after the
// check of `block` when one is given: the IDs defined more than once and
// outside the range, with their places, and the free ranges, of at least the
// block's count, with the lowest free start for it. 0 when no ID is defined
// twice, 1 when some are, 2 when a file could not be read; with a block, the
// higher of that and the block's status.
int runFolderCheck(std::string_view folder, std::optional<std::string_view> block,
                   const ConsoleStreams& console);
