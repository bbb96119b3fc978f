#pragma once

#include <cstdint>
#include <string>

#include "id_rule.hpp"
#include "input_reader.hpp"

// Takes an object definition line apart into its leading ID and the rest of
// the line. Console input is one character stream; line breaks matter only to
// the extension read. Once a read meets the end of input, or fails on
// something that is not a number, every later read fails at once without
// consuming anything, so a run that lost its input finishes without waiting.
class IdLineReader {
public:
    explicit IdLineReader(InputReader& input) : input_(input) {}

    // Reads a number by the ID rule (id_rule.hpp). Returns true when a number
    // was read. On a non-number, stores 0; on a number too large for 32 bits,
    // stores the nearest 32-bit limit; when the input ends before a number,
    // or is already ended or failed, stores nothing. The first read passes
    // over a UTF-8 byte-order mark at the very start of the input, and takes
    // UTF-16 input for input that cannot be read.
    bool readIdNumber(std::int32_t& value);

    // Reads a number that must stand alone on its line, with blanks around it
    // at most, and consumes the whole line, so that nothing typed on it is
    // left to be read as anything else. A line that holds anything more
    // stores 0, as any input that is not a number does; a line of blanks, or
    // input that has ended, stores nothing. Returns true when a number was
    // read.
    bool readWholeLineNumber(std::int32_t& value);

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
    bool mayRead();
    void takeEncodingMark();

    InputReader& input_;
    bool started_ = false;
    bool ended_ = false;
    bool failed_ = false;
};
