#include "common/block_check.hpp"

#include <algorithm>
#include <cstring>

#include "common/id_rule.hpp"
#include "common/system.hpp"
#include "common/texts.hpp"

namespace text = common_text;

namespace {

// Notes each byte of a line as it is consumed: how long the line is, whether
// a CR stands anywhere but at its very end, and its first bytes.
class LineTracker {
public:
    LineTracker(JudgedLine& line, std::size_t keep) : line_(line), keep_(keep) {
        line_.start.clear();
        line_.length = 0;
    }

    void take(const char* bytes, std::size_t count) {
        if (count == 0) {
            return;
        }
        innerCr_ = innerCr_ || pendingCr_ || std::memchr(bytes, '\r', count - 1) != nullptr;
        pendingCr_ = bytes[count - 1] == '\r';
        line_.length += count;
        if (line_.start.size() < keep_) {
            line_.start.append(bytes, std::min(count, keep_ - line_.start.size()));
        }
    }

    // The same for one byte, which is how the ID at the line's front is read.
    void take(char byte) {
        innerCr_ = innerCr_ || pendingCr_;
        pendingCr_ = byte == '\r';
        ++line_.length;
        if (line_.start.size() < keep_) {
            line_.start.push_back(byte);
        }
    }

    bool innerCr() const { return innerCr_; }
    bool endsInCr() const { return pendingCr_; }

private:
    JudgedLine& line_;
    std::size_t keep_;
    bool innerCr_ = false;
    bool pendingCr_ = false;
};

// The current line of input as a source for the ID rule: it ends at the line
// break, which it leaves unread.
class LineInPlace {
public:
    LineInPlace(InputReader& input, LineTracker& tracker) : input_(input), tracker_(tracker) {}

    int peek() {
        peeked_ = input_.peek();
        return peeked_ == '\n' ? InputReader::kEnd : peeked_;
    }

    // The rule always looks at a byte before it consumes it.
    void skip() {
        tracker_.take(static_cast<char>(peeked_));
        input_.skip();
    }

private:
    InputReader& input_;
    LineTracker& tracker_;
    int peeked_ = InputReader::kEnd;
};

Verdict judgeStart(InputReader& input, LineInPlace& line) {
    if (input.nextBytesAre(kUtf8Mark)) {
        for (std::size_t index = 0; index < kUtf8Mark.size(); ++index) {
            line.peek();
            line.skip();
        }
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

bool isControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
}

// A name a shell command can hold, quoted, and a person can paste: one
// without control bytes (a line break, above all).
bool fitsInCommand(const BlockFile& file) {
    return sys::hasPosixShell() && !file.standardInput &&
           std::none_of(file.name.begin(), file.name.end(), isControlByte);
}

// The name in single quotes, each of its own quotes written as '\'', followed
// by `suffix`, so that a POSIX shell reads exactly the name given.
void writeQuoted(LineWriter& out, std::string_view name, std::string_view suffix) {
    out << text::kQuote;
    for (std::size_t quote; (quote = name.find('\'')) != std::string_view::npos;) {
        out << name.substr(0, quote) << text::kQuotedQuote;
        name.remove_prefix(quote + 1);
    }
    out << name << suffix << text::kQuote;
}

// A note on line ends renumbrix would misread, with a command that makes a
// copy with plain line feeds when the name allows one.
void writeLineEndNote(LineWriter& out, const BlockFile& file, std::string_view note,
                      std::string_view command) {
    out << note;
    if (fitsInCommand(file)) {
        out << command;
        writeQuoted(out, file.name, {});
        out << text::kIntoCopy;
        writeQuoted(out, file.name, text::kCopySuffix);
    }
    out.endLine();
}

// What is shown of a listed line: its first bytes, without the CR of a CR LF
// line end, which would send the reason back over the line on screen.
void writeListedLine(LineWriter& out, std::int64_t number, const JudgedLine& line) {
    out << number << text::kNumberEnd;
    if (line.length > line.start.size()) {
        writeShown(out, line.start);
        out << text::kCutBefore << static_cast<std::int64_t>(line.length - line.start.size())
            << text::kCutAfter;
    } else {
        const std::size_t cr = line.endsInCarriageReturn ? 1 : 0;
        writeShown(out, std::string_view(line.start).substr(0, line.start.size() - cr));
    }
    out.line(text::kReasonMark, reasonFor(line.verdict));
}

}  // namespace

void judgeLine(InputReader& input, JudgedLine& line, std::size_t keep) {
    LineTracker tracker(line, keep);
    LineInPlace source(input, tracker);
    const Verdict start = judgeStart(input, source);
    input.passLine([&](const char* bytes, std::size_t count) {
        tracker.take(bytes, count);
        return true;
    });
    line.endsInCarriageReturn = tracker.endsInCr();
    // A line renumbrix would take whole is listed all the same when it holds
    // lines of its own, ended by a CR alone.
    line.verdict = tracker.innerCr() && start == Verdict::Taken ? Verdict::CarriageReturn : start;
}

std::string_view reasonFor(Verdict verdict) {
    switch (verdict) {
        case Verdict::Empty:
            return text::kReasonEmpty;
        case Verdict::NoId:
            return text::kReasonNoId;
        case Verdict::OutOfRange:
            return text::kReasonOutOfRange;
        case Verdict::TooLong:
            return text::kReasonTooLong;
        case Verdict::ByteOrderMark:
            return text::kReasonByteOrderMark;
        case Verdict::CarriageReturn:
            return text::kReasonCarriageReturn;
        case Verdict::Taken:
            break;
    }
    return {};
}

void writeShown(LineWriter& out, std::string_view bytes) {
    std::size_t plain = 0;  // the first byte not written yet
    for (std::size_t at = 0; at < bytes.size();) {
        std::string_view name;
        std::size_t width = 1;
        if (bytes.compare(at, kUtf8Mark.size(), kUtf8Mark) == 0) {
            name = text::kMarkShown;
            width = kUtf8Mark.size();
        } else if (isControlByte(bytes[at])) {
            const auto byte = static_cast<unsigned char>(bytes[at]);
            name = byte == 0x7F ? text::kDeleteShown : text::kControlNames[byte];
        } else {
            ++at;
            continue;
        }
        out << bytes.substr(plain, at - plain) << name;
        at += width;
        plain = at;
    }
    out << bytes.substr(plain);
}

void reportUnreadable(LineWriter& err, const BlockFile& file, int error) {
    reportFile(err, file, text::kCannotRead, text::kReasonFollows, std::strerror(error));
}

BlockCheck checkBlock(int fd, const BlockFile& file, LineWriter& out, LineWriter& err,
                      bool sayReady) {
    using Result = BlockCheck::Result;
    InputReader input(fd);
    switch (textMarkAt(input)) {
        case TextMark::Utf16:
            reportFile(err, file, text::kReasonFollows, text::kFileIsUtf16);
            return {Result::NotRead, 0};
        case TextMark::Utf8:
            input.skipBytes(kUtf8Mark.size());
            break;
        case TextMark::None:
            break;
    }

    // The name heads what is said about the file, once there is something
    // to say: a file that cannot be read, or a ready block that renumbrix
    // takes without a word, gets no heading.
    bool headed = false;
    const auto head = [&] {
        if (!headed) {
            headed = true;
            writeShown(out, file.name);
            out.line(text::kNameEnd);
        }
    };

    JudgedLine line;
    std::int64_t number = 0;
    std::int64_t taken = 0;
    bool crLf = false;
    bool crAlone = false;
    while (input.peek() != InputReader::kEnd) {
        judgeLine(input, line, kShownBytes);
        ++number;
        if (line.verdict == Verdict::Taken) {
            ++taken;
            crLf = crLf || line.endsInCarriageReturn;
            continue;
        }
        crAlone = crAlone || line.verdict == Verdict::CarriageReturn;
        head();
        writeListedLine(out, number, line);
        // Listing on when nobody reads it would read the file to its end
        // for nothing.
        if (out.failed()) {
            return {Result::OutputFailed, taken};
        }
    }
    if (input.readFailed()) {
        reportUnreadable(err, file, input.readError());
        return {Result::NotRead, taken};
    }

    const bool ready = taken == number && taken > 0 && taken <= kHighestId;
    if (ready && !sayReady) {
        return {Result::Ready, taken};
    }
    head();
    if (crAlone) {
        writeLineEndNote(out, file, text::kCrNote, text::kCrCommand);
    } else if (crLf) {
        writeLineEndNote(out, file, text::kCrLfNote, text::kCrLfCommand);
    }
    if (taken == 0) {
        out.line(text::kNothingTaken);
    } else if (taken > kHighestId) {
        out.line(text::kTooManyLines, taken);
    } else {
        out.line(ready ? text::kReady : text::kRemoveListed, taken);
    }
    if (out.failed()) {
        return {Result::OutputFailed, taken};
    }
    return {ready ? Result::Ready : Result::LinesListed, taken};
}
