// The block check: the verdict on each line, the closing line, and the
// listing of a file.

#include "common/block_check.hpp"

#include <algorithm>
#include <cstring>

#include "common/id_rule.hpp"
#include "common/system.hpp"
#include "common/texts.hpp"

namespace shared = common_text;

namespace {

// Notes each byte of a line as it is consumed: how long the line is, its CRs,
// and its first bytes.
class LineTracker {
public:
    LineTracker(JudgedLine& line, std::size_t keep) : line_(line), keep_(keep) {
        line_.start.clear();
        line_.length = 0;
        line_.carriageReturns = 0;
    }

    void take(const char* bytes, std::size_t count) {
        if (count == 0) {
            return;
        }
        line_.carriageReturns += static_cast<std::uint64_t>(std::count(bytes, bytes + count, '\r'));
        lastByte_ = bytes[count - 1];
        line_.length += count;
        if (line_.start.size() < keep_) {
            line_.start.append(bytes, std::min(count, keep_ - line_.start.size()));
        }
    }

    // The same for one byte, which is how the front of the line is read.
    void operator()(char byte) { take(&byte, 1); }

    // Keeps nothing more of the line.
    void stopKeeping() { keep_ = line_.start.size(); }

    bool endsInCr() const { return line_.length > 0 && lastByte_ == '\r'; }

private:
    JudgedLine& line_;
    std::size_t keep_;
    char lastByte_ = 0;
};

using TrackedLine = LineSource<LineTracker&>;

// The verdict on the front of a line, by the ID rule and the keywords.
Verdict judgeStart(InputReader& input, TrackedLine& line, JudgedLine& judged) {
    if (input.nextBytesAre(kUtf8Mark)) {
        for (std::size_t index = 0; index < kUtf8Mark.size(); ++index) {
            line.peek();
            line.skip();
        }
        return Verdict::ByteOrderMark;
    }
    int first = line.peek();
    for (; first == ' ' || first == '\t'; first = line.peek()) {
        line.skip();
    }
    // Only one keyword starts with a digit.
    const bool mayBeKeyword = first == '2' || first < '0' || first > '9';
    judged.keyword =
        mayBeKeyword ? sectionKeywordAt(input.aheadInLine(kLongestKeyword + 1)) : std::string_view();
    if (!judged.keyword.empty()) {
        return Verdict::Keyword;
    }
    const NumberRead read = readNumber(line, judged.id);
    judged.idEnd = static_cast<std::size_t>(judged.length);
    switch (read) {
        case NumberRead::Nothing:
            return Verdict::Empty;
        case NumberRead::NotANumber:
            return Verdict::NoId;
        case NumberRead::TooLong:
            return Verdict::TooLong;
        case NumberRead::Number:
            break;
    }
    if (!isInIdRange(judged.id)) {
        return Verdict::OutOfRange;
    }
    return mayFollowId(line.peek()) ? Verdict::Taken : Verdict::IdRunsOn;
}

std::string_view reasonFor(Verdict verdict) {
    switch (verdict) {
        case Verdict::Empty:
            return shared::kReasonEmpty;
        case Verdict::Keyword:
            return shared::kReasonKeyword;
        case Verdict::NoId:
            return shared::kReasonNoId;
        case Verdict::OutOfRange:
            return shared::kReasonOutOfRange;
        case Verdict::TooLong:
            return shared::kReasonTooLong;
        case Verdict::ByteOrderMark:
            return shared::kReasonByteOrderMark;
        case Verdict::CarriageReturn:
            return shared::kReasonCarriageReturn;
        case Verdict::IdRunsOn:
        case Verdict::Taken:
            break;
    }
    return {};
}

// The bytes of a line as kept, without the CR of a CR LF line end, which
// would send what follows back over the line on screen.
std::string_view keptBytes(const JudgedLine& line) {
    const bool whole = line.length == line.start.size();
    const std::size_t cr = whole && line.endsInCarriageReturn ? 1 : 0;
    return std::string_view(line.start).substr(0, line.start.size() - cr);
}

// A name a shell command can hold, quoted, and a person can paste: one that
// is shown as it is (no line break, nothing that acts on the terminal).
bool fitsInCommand(const BlockFile& file) {
    return sys::hasPosixShell() && !file.standardInput && !needsNames(file.name);
}

// The name in single quotes, each of its own quotes written as '\'', followed
// by `suffix`, so that a POSIX shell reads exactly the name given.
void writeQuoted(LineWriter& out, std::string_view name, std::string_view suffix) {
    out << shared::kQuote;
    for (std::size_t quote; (quote = name.find('\'')) != std::string_view::npos;) {
        out << name.substr(0, quote) << shared::kQuotedQuote;
        name.remove_prefix(quote + 1);
    }
    out << name << suffix << shared::kQuote;
}

// A note on line ends renumbrix would misread, with a command that makes a
// copy with plain line feeds when the name allows one, and the copy's name is
// free: a command never writes through a file or link that is there.
void writeLineEndNote(LineWriter& out, const BlockFile& file, std::string_view note,
                      std::string_view command) {
    out << note;
    if (fitsInCommand(file)) {
        const std::string copy = std::string(file.name) + std::string(shared::kCopySuffix);
        if (sys::nameExists(copy.c_str())) {
            out << shared::kCopyTaken;
            writeShown(out, copy);
            out << shared::kCopyTakenEnd;
        } else {
            out << command;
            writeQuoted(out, file.name, {});
            out << shared::kIntoCopy;
            writeQuoted(out, file.name, shared::kCopySuffix);
        }
    }
    out.endLine();
}

// What is shown of a listed line: its first bytes, and how many more follow.
void writeListedLine(LineWriter& out, std::int64_t number, const JudgedLine& line) {
    out << number << shared::kNumberEnd;
    writeShown(out, keptBytes(line));
    if (line.length > line.start.size()) {
        out << shared::kCutBefore << static_cast<std::int64_t>(line.length - line.start.size())
            << shared::kCutAfter;
    }
    out << shared::kReasonMark;
    writeReason(out, line);
    out.endLine();
}

}  // namespace

bool isToMend(Verdict verdict) {
    return verdict == Verdict::IdRunsOn || verdict == Verdict::ByteOrderMark ||
           verdict == Verdict::CarriageReturn;
}

void judgeLine(InputReader& input, JudgedLine& line, Keep keep) {
    LineTracker tracker(line, kShownBytes);
    TrackedLine source(input, tracker);
    line.keyword = {};
    line.id = 0;
    line.idEnd = 0;
    const Verdict start = judgeStart(input, source, line);
    if (keep == Keep::ForNote && start != Verdict::IdRunsOn) {
        tracker.stopKeeping();
    }
    const InputReader::LineEnd end = input.passLine([&](const char* bytes, std::size_t count) {
        tracker.take(bytes, count);
        return true;
    });
    line.endsInLineBreak = end == InputReader::LineEnd::Break;
    line.endsInCarriageReturn = tracker.endsInCr();
    // A line renumbrix would take whole is listed all the same when it holds
    // lines of its own, ended by a CR alone.
    const bool innerCr = line.carriageReturns > (line.endsInCarriageReturn ? 1u : 0u);
    line.verdict = innerCr && start == Verdict::Taken ? Verdict::CarriageReturn : start;
}

void writeReason(LineWriter& out, const JudgedLine& line) {
    if (line.verdict != Verdict::IdRunsOn) {
        out << reasonFor(line.verdict);
        return;
    }
    // What renumbrix would keep behind the new ID, as far as it is kept here.
    const std::string_view kept = keptBytes(line);
    const std::string_view rest = kept.substr(std::min(line.idEnd, kept.size()));
    const bool cut = rest.size() > shared::kRestShown || line.length > line.start.size();
    out << shared::kReasonIdRunsOn << line.id << shared::kReasonKeeps;
    writeShown(out, rest.substr(0, shared::kRestShown));
    out << (cut ? shared::kRestCut : std::string_view()) << shared::kReasonKeepsEnd;
}

void Tally::count(Verdict verdict) {
    ++lines;
    if (verdict != Verdict::Taken) {
        ++(isToMend(verdict) ? toMend : toRemove);
    }
}

bool Tally::ready() const {
    return lines > 0 && taken() == lines && lines <= kHighestId;
}

void sayCountToDeclare(LineWriter& out, const Tally& tally) {
    if (tally.taken() > kHighestId) {
        out.line(shared::kTooManyLines, tally.taken());
    } else if (tally.toMend > 0) {
        out.line(shared::kMendListed);
    } else if (tally.taken() == 0) {
        out.line(shared::kNothingTaken);
    } else if (tally.toRemove > 0) {
        out.line(shared::kRemoveListed, tally.taken());
    } else {
        out.line(shared::kReady, tally.lines);
    }
}

void reportUnreadable(LineWriter& err, const BlockFile& file, int error) {
    reportFile(err, file, shared::kCannotRead, shared::kReasonFollows, std::strerror(error));
}

BlockCheck checkBlock(int fd, const BlockFile& file, LineWriter& out, LineWriter& err,
                      CheckFor reader) {
    using Result = BlockCheck::Result;
    // Only renumbrix compares the bytes it sorts with those it checked.
    InputReader input(fd, reader == CheckFor::Renumbrix);
    BlockCheck check;
    if (passMarkAtStart(input) == TextMark::Utf16) {
        reportFile(err, file, shared::kReasonFollows, shared::kFileIsUtf16);
        return check;
    }

    // The name heads what is said about the file, once there is something
    // to say: a file that cannot be read, or a ready block that renumbrix
    // takes without a word, gets no heading.
    bool headed = false;
    const auto head = [&] {
        if (!headed) {
            headed = true;
            writeShown(out, file.name);
            out.line(shared::kNameEnd);
        }
    };

    JudgedLine line;
    std::uint64_t lineBreaks = 0;
    std::uint64_t innerCrs = 0;
    bool crLf = false;
    while (input.peek() != InputReader::kEnd) {
        judgeLine(input, line, Keep::ForListing);
        check.tally.count(line.verdict);
        lineBreaks += line.endsInLineBreak ? 1 : 0;
        innerCrs += line.carriageReturns - (line.endsInCarriageReturn ? 1 : 0);
        crLf = crLf || (line.verdict == Verdict::Taken && line.endsInCarriageReturn);
        if (line.verdict == Verdict::Taken) {
            continue;
        }
        head();
        writeListedLine(out, check.tally.lines, line);
        // Listing on when nobody reads it would read the file to its end
        // for nothing.
        if (out.failed()) {
            check.result = Result::OutputFailed;
            return check;
        }
    }
    if (input.readFailed()) {
        reportUnreadable(err, file, input.readError());
        return check;
    }
    check.content = input.digest();

    const bool ready = check.tally.ready();
    check.result = ready ? Result::Ready : Result::LinesListed;
    if (ready && reader == CheckFor::Renumbrix) {
        return check;
    }
    head();
    // Lines that end in a CR alone hold more CRs inside them than there are
    // line breaks; a stray CR in a file of other line ends is listed with its
    // line, under the note for those other ends.
    if (innerCrs > lineBreaks) {
        writeLineEndNote(out, file, shared::kCrNote, shared::kCrCommand);
    } else if (crLf) {
        writeLineEndNote(out, file, shared::kCrLfNote, shared::kCrLfCommand);
    }
    if (reader == CheckFor::Tallyrun) {
        sayCountToDeclare(out, check.tally);
    }
    if (out.failed()) {
        check.result = Result::OutputFailed;
    }
    return check;
}
