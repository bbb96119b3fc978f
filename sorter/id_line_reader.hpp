#pragma once

#include <cstdint>
#include <string>

#include "input_reader.hpp"

// The ID range: the only values accepted as declared line count, starting
// ID or line ID.
constexpr std::int32_t kLowestId = 1;
constexpr std::int32_t kHighestId = 999998;

bool isInIdRange(std::int32_t n);

// Takes an object definition line apart into its leading ID and the rest of
// the line. Console input is one character stream; line breaks matter only to
// the extension read. Once a read meets the end of input, or fails on
// something that is not a number, every later read fails at once without
// consuming anything, so a run that lost its input finishes without waiting.
class IdLineReader {
public:
    explicit IdLineReader(InputReader& input) : input_(input) {}

    // Skips whitespace (line breaks included) and reads an optionally signed
    // decimal number, leaving the character behind it unread. Returns true
    // when a number was read. On a non-number, stores 0; on a number too
    // large for 32 bits, stores the nearest 32-bit limit; when the input
    // ends before a number, or is already ended or failed, stores nothing.
    bool readIdNumber(std::int32_t& value);

    // The same read for the ID at the front of a definition line. A line
    // whose read stores nothing holds 0, so it can never pass for the ID of
    // an earlier line.
    bool readLineId(std::int32_t& lineId);

    // Reads the rest of the current line, without its line break, into
    // `extension`. When input has already ended or failed, the extension is
    // empty: it always belongs to the line just read, never an earlier one.
    // False when the line was too long to hold: the extension is then empty,
    // the line is not taken, and input counts as failed from there.
    bool readLineExtension(std::string& extension);

private:
    InputReader& input_;
    bool ended_ = false;
    bool failed_ = false;
};
