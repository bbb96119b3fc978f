#pragma once

// Whether renumbrix would take the lines of a block, and take them right,
// judged by its own rule for the ID at a line's front (id_rule.hpp), so that
// the programs cannot disagree: tallyrun notes such lines while it counts and
// lists them when it checks a file, and renumbrix checks a block file the
// same way before it touches anything.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/console_input.hpp"
#include "common/console_output.hpp"
#include "common/shown.hpp"

enum class Verdict {
    Taken,
    // Lines to take out of the block.
    Empty,       // only whitespace: renumbrix passes over it
    Keyword,     // a section keyword, "2dfx" among them, which reads as ID 2
    NoId,        // a comment or anything else where the ID belongs
    OutOfRange,  // a number outside 1 to 999998
    TooLong,     // a number beyond 32 bits
    // Lines that hold a definition to mend.
    IdRunsOn,        // an ID that runs into other text: "15OO, a" would become "400OO, a"
    ByteOrderMark,   // an editor's UTF-8 mark in front of the line
    CarriageReturn,  // a CR inside the line: CR line ends, which renumbrix reads as one line
};

// True for a line that holds a definition with a fault to mend, rather than
// a line to take out.
bool isToMend(Verdict verdict);

// A line as judged: the verdict, and what is kept to show the line.
struct JudgedLine {
    Verdict verdict = Verdict::Taken;
    std::uint64_t length = 0;           // bytes, without the line break
    std::uint64_t carriageReturns = 0;  // CR bytes anywhere in it
    bool endsInCarriageReturn = false;  // the CR of a CR LF line end, read on Linux
    bool endsInLineBreak = false;       // false for a last line that ends with the input
    std::int32_t id = 0;                // the number at its front, where there is one
    std::size_t idEnd = 0;              // where the bytes behind that number start
    std::string_view keyword;           // the section keyword, for Verdict::Keyword
    std::string start;                  // its first bytes, at most `keep` of them
};

// How much of a listed line is shown; the rest is named by its length.
constexpr std::size_t kShownBytes = 200;

// Consumes the next line of `input`, through its line break, and judges it.
// Keeps its first kShownBytes bytes in `line.start`, and nothing else of it,
// so memory does not grow with the line: of every line for a listing, or for
// a note only of one whose reason shows them (an ID that runs on).
enum class Keep { ForListing, ForNote };
void judgeLine(InputReader& input, JudgedLine& line, Keep keep);

// Writes why a line is not taken as it stands, in a few plain words: what
// renumbrix would do with it.
void writeReason(LineWriter& out, const JudgedLine& line);

// What the lines of a block come to.
struct Tally {
    std::int64_t lines = 0;
    std::int64_t toRemove = 0;  // lines to take out
    std::int64_t toMend = 0;    // lines with a definition to mend

    void count(Verdict verdict);
    std::int64_t taken() const { return lines - toRemove - toMend; }
    // Every line taken, and no more of them than one run takes.
    bool ready() const;
};

// The closing line of a check or a count, the one place that decides it: the
// count to declare when the block is ready or ready once the listed lines are
// gone; a request to mend and check again when a listed line holds a
// definition, whose count would be a guess; or why there is no count.
void sayCountToDeclare(LineWriter& out, const Tally& tally);

// A file as the check names it: by the name given, for a program.
struct BlockFile {
    std::string_view program;  // whose messages these are
    std::string_view name;     // as given on the command line
    bool standardInput;        // "-": no name a command could use
};

// The block check of one file, read from `fd` as renumbrix would read the
// same bytes, a UTF-8 byte-order mark at its very start passed over. On
// `out`, under the file's name: each line renumbrix would not take as it
// stands, with its number and reason, and a note on line ends renumbrix would
// misread; for tallyrun then the count to declare. For renumbrix a block
// ready as it stands is taken without a word, and its closing line is
// renumbrix's own. A reason the file cannot be read goes to `err`.
struct BlockCheck {
    enum class Result {
        Ready,         // every line would be taken
        LinesListed,   // some would not, or none would, or too many for one run
        NotRead,       // the file cannot be read, or is UTF-16
        OutputFailed,  // `out` took no more; reading stopped there
    };
    Result result = Result::NotRead;
    Tally tally;
    InputReader::Digest content;  // for renumbrix, the bytes the check read, all of them
};

enum class CheckFor { Tallyrun, Renumbrix };

BlockCheck checkBlock(int fd, const BlockFile& file, LineWriter& out, LineWriter& err,
                      CheckFor reader);

// Says on `err` something about the file, in one line: the program's name,
// `lead`, the file's name shown safely, then the pieces of `tail`.
template <typename... Tail>
void reportFile(LineWriter& err, const BlockFile& file, std::string_view lead,
                const Tail&... tail) {
    err << file.program << lead;
    writeShown(err, file.name);
    err.line(tail...);
}

// Says on `err` that the file cannot be read, and why (`error`, an errno).
void reportUnreadable(LineWriter& err, const BlockFile& file, int error);
