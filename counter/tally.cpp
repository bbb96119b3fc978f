// tallyrun's work: the count of typed or pasted lines, and the block check of
// files.

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/block_check.hpp"
#include "common/console_input.hpp"
#include "common/console_output.hpp"
#include "common/system.hpp"
#include "common/texts.hpp"
#include "counter/counter_texts.hpp"
#include "counter/tally.hpp"

namespace text = tallyrun_text;
namespace shared = common_text;
using text::kExitCounted;
using text::kExitListed;
using text::kExitNotCounted;
using text::kExitReady;
using text::kExitTrouble;

int checkFile(std::string_view name, const ConsoleStreams& console, LineWriter& out,
              LineWriter& err, std::int64_t* taken) {
    const BlockFile file{text::kProgramName, name, name == "-"};
    const std::string path(name);
    const int fd = file.standardInput ? console.input : sys::openInputFile(path.c_str());
    if (fd < 0) {
        reportUnreadable(err, file, errno);
        return kExitTrouble;
    }
    const BlockCheck check = checkBlock(fd, file, out, err, CheckFor::Tallyrun);
    if (!file.standardInput) {
        sys::closeFile(fd);
    }
    if (taken != nullptr) {
        *taken = check.tally.taken();
    }
    switch (check.result) {
        case BlockCheck::Result::Ready:
            return kExitReady;
        case BlockCheck::Result::LinesListed:
            return kExitListed;
        case BlockCheck::Result::NotRead:
        case BlockCheck::Result::OutputFailed:
            break;
    }
    return kExitTrouble;
}

int runLineCounter(const ConsoleStreams& console) {
    LineWriter err(console.error);
    err.lines(text::kBanner);
    if (sys::isConsole(console.input)) {
        err.line(sys::endsInputWithCtrlZ() ? text::kFinishWithCtrlZ : text::kFinishWithCtrlD);
    }

    // Lines are counted, never stored: each is judged in place as it is read,
    // keeping only what a note shows, so memory stays the same whatever the
    // length or number of lines. A last line without a line break still
    // counts once the input ends. The total is 64-bit so that an endless
    // feed cannot wrap it around.
    InputReader input(console.input);
    LineWriter out(console.output);
    JudgedLine line;
    Tally tally;
    while (input.peek() != InputReader::kEnd) {
        judgeLine(input, line, Keep::ForNote);
        tally.count(line.verdict);
        out.line(text::kTotal, tally.lines);
        // The totals are this program's only product: once one cannot be
        // delivered (a reader gone, a full disk), counting on is pointless.
        if (out.failed()) {
            err.line(shared::kOutputNotWritten);
            return kExitNotCounted;
        }
        if (line.verdict != Verdict::Taken) {
            err << text::kLineNote << tally.lines << shared::kNumberEnd;
            writeReason(err, line);
            err.endLine();
        }
    }
    if (input.readFailed()) {
        err.line(shared::kInputNotRead);
        return kExitNotCounted;
    }
    sayCountToDeclare(err, tally);
    return kExitCounted;
}

int runBlockCheck(const std::vector<std::string_view>& names, const ConsoleStreams& console) {
    LineWriter out(console.output);
    LineWriter err(console.error);
    int status = kExitReady;
    for (const std::string_view name : names) {
        status = std::max(status, checkFile(name, console, out, err, nullptr));
        if (out.failed()) {
            err.line(shared::kOutputNotWritten);
            return kExitTrouble;
        }
    }
    return status;
}
