#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/console_input.hpp"
#include "common/console_output.hpp"

// Whether renumbrix would take the lines of a block, judged by its own rule
// for the ID at a line's front (id_rule.hpp), so that the programs cannot
// disagree: tallyrun notes such lines while it counts and lists them when it
// checks a file, and renumbrix checks a block file the same way before it
// touches anything.

enum class Verdict {
    Taken,
    Empty,           // only whitespace: renumbrix passes over it
    NoId,            // a keyword, a comment or anything else where the ID belongs
    OutOfRange,      // a number outside 1 to 999998
    TooLong,         // a number beyond 32 bits
    ByteOrderMark,   // an editor's UTF-8 mark in front of the line
    CarriageReturn,  // a CR inside the line: CR line ends, which renumbrix reads as one line
};

// A line as judged: the verdict, and what is kept to show the line.
struct JudgedLine {
    Verdict verdict = Verdict::Taken;
    std::uint64_t length = 0;           // bytes, without the line break
    bool endsInCarriageReturn = false;  // the CR of a CR LF line end, read on Linux
    std::string start;                  // its first bytes, at most kShownBytes of them
};

// How much of a listed line is shown; the rest is named by its length.
constexpr std::size_t kShownBytes = 200;

// Consumes the next line of `input`, through its line break, and judges it.
// Keeps its first `keep` bytes in `line.start`, and nothing else of it, so
// memory does not grow with the line.
void judgeLine(InputReader& input, JudgedLine& line, std::size_t keep);

// The few plain words that say why a line is not taken.
std::string_view reasonFor(Verdict verdict);

// Writes bytes of a file so that they cannot act on a terminal: control
// bytes and a byte-order mark appear as their names (<ESC>, <CR>, <BOM>),
// everything else as it is.
void writeShown(LineWriter& out, std::string_view bytes);

// The block check of one file, read from `fd` as renumbrix would read the
// same bytes, a UTF-8 byte-order mark at its very start passed over. On
// `out`, under the file's name: each line renumbrix would not take, with its
// number and reason, a note on line ends renumbrix would misread, and the
// count to declare. When the block is ready as it stands, `sayReady` tells
// whether to say so; a reason the file cannot be read goes to `err`.
struct BlockCheck {
    enum class Result {
        Ready,         // every line would be taken
        LinesListed,   // some would not, or none would, or too many for one run
        NotRead,       // the file cannot be read, or is UTF-16
        OutputFailed,  // `out` took no more; reading stopped there
    };
    Result result = Result::NotRead;
    std::int64_t lines = 0;  // the lines renumbrix would take
};

// A file as the check names it: by the name given, for a program.
struct BlockFile {
    std::string_view program;  // whose messages these are
    std::string_view name;     // as given on the command line
    bool standardInput;        // "-": no name a command could use
};

BlockCheck checkBlock(int fd, const BlockFile& file, LineWriter& out, LineWriter& err,
                      bool sayReady);

// Says on `err` something about the file, in one line: the program's name,
// `lead`, the file's name shown safely, then the pieces of `tail`.
template <typename... Tail>
void reportFile(LineWriter& err, const BlockFile& file, std::string_view lead, const Tail&... tail) {
    err << file.program << lead;
    writeShown(err, file.name);
    err.line(tail...);
}

// Says on `err` that the file cannot be read, and why (`error`, an errno).
void reportUnreadable(LineWriter& err, const BlockFile& file, int error);
