#pragma once

// renumbrix's sorting run, driven over any three console streams: main binds
// it to the real console, tests and the fuzzer to descriptors of their own.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/block_check.hpp"
#include "common/console_input.hpp"
#include "common/system.hpp"

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

// A block file that has passed the block check, with its starting ID taken
// (block_file.cpp), ready to be sorted in the current folder, its own.
struct CheckedBlock {
    int fd;                  // read from its start
    std::int32_t lines;      // the lines the check counted, every one of them taken
    std::int32_t start;      // the new ID of the first
    BlockFile file;          // its name, for what is said about it
    std::string nameHere;    // its name within the current folder
    sys::FileStamp checked;  // the file as it was checked
    InputReader::Digest content;  // its bytes as the check read them
    std::string_view freeUnder;  // the folder whose IDs the new ones meet none of, if given
};

// True while the block file is still the file it was when checked, unchanged,
// by its stamp. A change that leaves the stamp as it was (a write through a
// mapping of the file) shows only in its bytes, which are compared apart.
bool isAsChecked(const CheckedBlock& block);

// The run of a checked block: the files are claimed and written, and the
// lines sorted, as the run above would sort them piped in after their count
// and starting ID, without the questions and the prompts of each line. A
// block that turns out to have changed while it was sorted fails the run.
SortingEnd sortCheckedBlock(const ConsoleStreams& console, const CheckedBlock& block);

// The run's reading operations. Console input is one character stream; line
// breaks matter only to the extension read. Once the reader has stopped (its
// end met, a read failed, or something that is no number found where a
// number belongs), every read fails at once without consuming anything, so a
// run that lost its input finishes without waiting. The first read of an
// input passes over a UTF-8 byte-order mark at its very start, and takes
// UTF-16 input for input that cannot be read.

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

// Whether input may be read on: false once it has stopped. The first read of
// an input looks at the mark its editor may have put in front of it, by the
// rule both programs share: a UTF-8 mark is passed over, and UTF-16 text
// cannot be read.
bool mayRead(InputReader& input);
