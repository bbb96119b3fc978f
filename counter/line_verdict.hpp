#pragma once

#include <cstdint>
#include <string_view>

#include "id_rule.hpp"
#include "input_reader.hpp"

// Whether renumbrix would take a line of a block as an object definition
// line, and if not, why. The verdict comes from renumbrix's own rule for the
// ID at a line's front (id_rule.hpp), so the two programs cannot disagree.
enum class Verdict {
    Taken,
    Empty,          // only whitespace: renumbrix passes over it
    NoId,           // a keyword, a comment or anything else where the ID belongs
    OutOfRange,     // a number outside 1 to 999998
    TooLong,        // a number beyond 32 bits
    ByteOrderMark,  // an editor's UTF-8 mark in front of the line
};

// A line held in memory, read as a source for the rule.
class HeldLine {
public:
    explicit HeldLine(std::string_view line) : rest_(line) {}
    int peek() const { return rest_.empty() ? -1 : static_cast<unsigned char>(rest_.front()); }
    void skip() { rest_.remove_prefix(1); }
    bool startsWith(std::string_view bytes) const { return rest_.substr(0, bytes.size()) == bytes; }

private:
    std::string_view rest_;
};

// The current line of console input, read in place as a source that ends at
// the line break, so that no line, however long, has to be held.
class LineInPlace {
public:
    explicit LineInPlace(InputReader& input) : input_(input) {}
    int peek() {
        const int c = input_.peek();
        return c == '\n' ? InputReader::kEnd : c;
    }
    void skip() { input_.skip(); }
    bool startsWith(std::string_view bytes) { return input_.nextBytesAre(bytes); }

private:
    InputReader& input_;
};

// Judges a line from its first byte on, consuming what the rule reads of it.
template <typename Line>
Verdict judgeLine(Line& line) {
    if (line.startsWith(InputReader::kUtf8Mark)) {
        return Verdict::ByteOrderMark;
    }
    std::int32_t id = 0;
    switch (readNumber(line, id)) {
        case NumberRead::Nothing:
            return Verdict::Empty;
        case NumberRead::NotANumber:
            return Verdict::NoId;
        case NumberRead::TooLong:
            return Verdict::TooLong;
        case NumberRead::Number:
            break;
    }
    return isInIdRange(id) ? Verdict::Taken : Verdict::OutOfRange;
}

// The few plain words that say why a line is not taken.
std::string_view reasonFor(Verdict verdict);
