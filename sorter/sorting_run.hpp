#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/console_input.hpp"

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

// The run's reading operations. Console input is one character stream; line
// breaks matter only to the extension read and the whole-line read. Once the
// reader has stopped (its end met, a read failed, or something that is no
// number found where a number belongs), every read fails at once without
// consuming anything, so a run that lost its input finishes without waiting.
// The first read of an input passes over a UTF-8 byte-order mark at its very
// start, and takes UTF-16 input for input that cannot be read.

// Reads a number by the ID rule (id_rule.hpp). Returns true when a number
// was read. On a non-number, stores 0; on a number too large for 32 bits,
// stores the nearest 32-bit limit; when the input ends before a number, or
// has stopped, stores nothing.
bool readIdNumber(InputReader& input, std::int32_t& value);

// The same read for the ID at the front of a definition line. A line whose
// read stores nothing holds 0, so it can never pass for the ID of an earlier
// line.
bool readLineId(InputReader& input, std::int32_t& lineId);

// Reads the rest of the current line, without its line break, into
// `extension`. When input has stopped, the extension is empty: it always
// belongs to the line just read, never an earlier one. False when the line
// was too long to hold: the extension is then empty, the line is not taken,
// and input counts as failed from there.
bool readLineExtension(InputReader& input, std::string& extension);

// Reads a number that must stand alone on its line, with blanks around it at
// most, and consumes the whole line, so that nothing typed on it is left to
// be read as anything else. A line that holds anything more stores 0, as any
// input that is not a number does; a line of blanks, or input that has
// ended, stores nothing. Returns true when a number was read.
bool readWholeLineNumber(InputReader& input, std::int32_t& value);
