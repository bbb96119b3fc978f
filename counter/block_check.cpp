#include "block_check.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "counter_texts.hpp"
#include "input_reader.hpp"
#include "line_verdict.hpp"
#include "line_writer.hpp"
#include "raw_io.hpp"

namespace text = tallyrun_text;

namespace {

constexpr int kReady = 0;
constexpr int kLinesListed = 1;
constexpr int kNotRead = 2;

int refuseFile(LineWriter& err, std::string_view name, int error) {
    err.line(text::kProgramName, text::kCannotRead, name, ": ", std::strerror(error));
    return kNotRead;
}

// A Windows line end read on Linux leaves a CR at the end of the line.
bool endsInCarriageReturn(std::string_view line) {
    return !line.empty() && line.back() == '\r';
}

// A line is shown as it stands, but for a CR at its end, which would send the
// reason back over the line on screen.
std::string_view shown(std::string_view line) {
    return endsInCarriageReturn(line) ? line.substr(0, line.size() - 1) : line;
}

int checkBlock(InputReader& input, std::string_view name, LineWriter& out) {
    out.line(name, ":");
    std::string line;
    std::int64_t number = 0;
    std::int64_t taken = 0;
    bool carriageReturns = false;
    while (input.peek() != InputReader::kEnd) {
        line.clear();
        if (input.takeLine(&line) == InputReader::LineEnd::Dropped) {
            return kNotRead;
        }
        ++number;
        HeldLine held(line);
        const Verdict verdict = judgeLine(held);
        if (verdict == Verdict::Taken) {
            ++taken;
            carriageReturns = carriageReturns || endsInCarriageReturn(line);
        } else {
            out.line(number, ": ", shown(line), text::kReasonMark, reasonFor(verdict));
        }
    }
    if (input.readFailed()) {
        return kNotRead;
    }
    if (carriageReturns) {
        out.line(text::kCarriageReturns, name, text::kConvertedCopy, name, text::kConvertedName);
    }
    if (taken == 0) {
        out.line(text::kNothingTaken);
        return kLinesListed;
    }
    out.line(number == taken ? text::kReady : text::kRemoveListed, taken);
    return number == taken ? kReady : kLinesListed;
}

int checkFile(std::string_view name, LineWriter& out, LineWriter& err) {
    const std::string path(name);
    const int fd = rawio::openInputFile(path.c_str());
    if (fd < 0) {
        return refuseFile(err, name, errno);
    }
    InputReader input(fd);
    int status = kNotRead;
    if (input.peekTextMark() == InputReader::TextMark::Utf16) {
        err.line(text::kProgramName, ": ", name, text::kFileIsUtf16);
    } else if (!input.readFailed()) {
        status = checkBlock(input, name, out);
    }
    if (input.readFailed()) {
        refuseFile(err, name, input.readError());
    }
    rawio::closeFile(fd);
    return status;
}

}  // namespace

int runBlockCheck(const std::vector<std::string_view>& names, const ConsoleStreams& console) {
    LineWriter out(console.output);
    LineWriter err(console.error);
    int status = kReady;
    for (const std::string_view name : names) {
        status = std::max(status, checkFile(name, out, err));
    }
    if (out.failed()) {
        err.line(text::kOutputNotWritten);
        return kNotRead;
    }
    return status;
}
