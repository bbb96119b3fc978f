// The sorting run: the dialogue, the reading of every number and line, the
// two files and their records, and the run of a checked block file.

#include "sorter/sorting_run.hpp"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/block_check.hpp"
#include "common/console_output.hpp"
#include "common/id_rule.hpp"
#include "common/shown.hpp"
#include "common/system.hpp"
#include "common/texts.hpp"
#include "sorter/sorter_texts.hpp"

namespace text = renumbrix_text;
namespace shared = common_text;

// --- Reading console input, by the ID rule (id_rule.hpp).

bool mayRead(InputReader& input) {
    if (!input.stopped() && input.atStart() && passMarkAtStart(input) == TextMark::Utf16) {
        input.fail(EILSEQ);
    }
    return !input.stopped();
}

bool readIdNumber(InputReader& input, std::int32_t& value) {
    if (!mayRead(input)) {
        return false;
    }
    const NumberRead read = readNumber(input, value);
    if (read != NumberRead::Number) {
        input.stop();
    }
    return read == NumberRead::Number;
}

bool readLineId(InputReader& input, std::int32_t& lineId) {
    lineId = 0;
    return readIdNumber(input, lineId);
}

bool readLineExtension(InputReader& input, std::string& extension) {
    extension.clear();
    return !mayRead(input) || input.takeLine(extension) != InputReader::LineEnd::Dropped;
}

// --- The run and its two files.

namespace {

using text::kExitFailure;
using text::kExitSuccess;

struct Run {
    Run(const ConsoleStreams& streams, const CheckedBlock* checked)
        : console(streams),
          block(checked),
          out(streams.output),
          err(streams.error),
          input(streams.input) {
        if (block != nullptr) {
            blockInput = std::make_unique<InputReader>(block->fd, true);
        }
    }

    // The definition lines come from the block file when there is one, and
    // otherwise from the console, behind the two answers.
    InputReader& lines() { return blockInput ? *blockInput : input; }

    bool inputFailed() const {
        return input.readFailed() || (blockInput && blockInput->readFailed());
    }

    ConsoleStreams console;
    const CheckedBlock* block;
    LineWriter out;
    LineWriter err;
    InputReader input;
    std::unique_ptr<InputReader> blockInput;
    OutputFile ide;
    OutputFile log;
    bool blockChanged = false;  // the block file turned out not to be the one checked
};

// A read that failed is reported once, when it happens: console input as
// such, input in UTF-16 saying first what it is, and a line of the block
// file by its number.
void reportFailedRead(Run& run, InputReader& input, std::int32_t lineNumber) {
    if (!input.failureToReport()) {
        return;
    }
    if (&input == run.blockInput.get()) {
        run.err << text::kProgramName << text::kCannotReadLine << lineNumber << text::kLineOf;
        writeShown(run.err, run.block->file.name);
        run.err.line(shared::kReasonFollows, std::strerror(input.readError()));
        return;
    }
    if (input.readError() == EILSEQ) {
        run.err.line(text::kInputIsUtf16);
    }
    run.err.line(shared::kInputNotRead);
}

int blockFd(const Run& run) {
    return run.block != nullptr ? run.block->fd : -1;
}

// --- Sorted.ide: a comment, the "objs" section with one entry per line, then
// --- empty "tobj" and "2dfx" sections.

// A file the run reads, or the console writes, is in use already: a console
// stream, or the block file, whatever name it goes by.
OutputFile::Claim openSortedIde(Run& run) {
    return run.ide.claim(text::kSortedIdeName, {run.console.input, run.console.output,
                                                run.console.error, blockFd(run)});
}

void writeIdeHeader(OutputFile& ide) {
    ide.writer().lines(text::kIdeHeader);
}

// The renumbered line: the new ID followed directly by the extension, which
// brings its own separator. A rejected line, which has no extension, becomes
// a comment holding only its new ID, so no definition is repeated and the gap
// stays visible.
void composeEntry(LineWriter& file, std::int32_t newId, std::optional<std::string_view> extension) {
    if (extension) {
        file << newId << *extension;
    } else {
        file << text::kRejectedEntryMark << newId;
    }
}

void writeIdeEntry(OutputFile& ide, std::int32_t newId, std::optional<std::string_view> extension) {
    composeEntry(ide.writer(), newId, extension);
    ide.writer().endLine();
}

void writeIdeTrailer(OutputFile& ide) {
    ide.writer().lines(text::kIdeTrailer);
}

bool closeSortedIde(OutputFile& ide) {
    return ide.close();
}

// --- Sorted.log: one record group per event, in the order the run meets them.

// Sorted.log that is Sorted.ide under another name is in use already, too.
OutputFile::Claim openSortingLog(Run& run) {
    return run.log.claim(text::kSortingLogName,
                         {run.console.input, run.console.output, run.console.error, blockFd(run)},
                         &run.ide);
}

void logRunHeader(OutputFile& log) {
    log.writer().lines(text::kLogRunHeader);
}

// The group for a refused answer to one of the two questions.
void logInvalidAnswer(OutputFile& log, std::string_view heading, std::string_view label,
                      std::int32_t answer) {
    LineWriter& file = log.writer();
    file.line(text::kLogCrashed);
    file.line(heading);
    file.line();
    file.line(label, answer);
    file.line(text::kLogOnlyNumbers);
}

void logInvalidCount(OutputFile& log, std::int32_t declared) {
    logInvalidAnswer(log, text::kLogInvalidCount, text::kLogDeclaredWas, declared);
}

void logInvalidStart(OutputFile& log, std::int32_t start) {
    logInvalidAnswer(log, text::kLogInvalidStart, text::kLogStartWas, start);
}

void logLineMismatch(OutputFile& log, std::int32_t declared, std::int32_t entered) {
    LineWriter& file = log.writer();
    file.line(text::kLogCrashed);
    file.line(text::kLogMismatch);
    file.line(text::kLogDeclaredWas, declared);
    file.line(text::kLogEnteredWas, entered, text::kLogEnteredMark);
}

void logLineBlock(OutputFile& log, std::int32_t lineId, std::int32_t newId,
                  std::optional<std::string_view> extension) {
    LineWriter& file = log.writer();
    const std::string_view shown = extension.value_or(std::string_view());
    file.line();
    file.line();
    file.line(text::kLogEnteredLine, lineId, shown);
    file.line(text::kLogIdDetected, lineId);
    file.line(text::kLogIdChanged, newId);
    file.line(text::kLogExtension, shown);
    file << text::kLogUpdatedLine;
    composeEntry(file, newId, extension);
    file.endLine();
    file.line();
    file.line();
}

// The closing group ends without a line break: the total follows on the same
// line.
void logClosing(OutputFile& log) {
    LineWriter& file = log.writer();
    file.line(text::kIdeClosed);
    file.line(text::kLogClosed);
    file << text::kLogFinished;
}

void logTotal(OutputFile& log, std::int32_t entered) {
    log.writer().line(text::kTotal, entered);
}

bool closeSortingLog(OutputFile& log) {
    return log.close();
}

// --- The run.

// Every run that got both files ends here. The product is the files, so a
// write that was lost on the way is reported and fails the run, and so does
// input that could not be read, since lines may be missing, and a block file
// that changed while it was sorted. Both files stay held until both are
// closed.
SortingEnd closeRun(Run& run) {
    run.out.line();
    const bool ideWritten = closeSortedIde(run.ide);
    if (!ideWritten) {
        run.err.line(text::kIdeNotWritten);
    }
    run.out.line(text::kIdeClosed);
    const bool logWritten = closeSortingLog(run.log);
    if (!logWritten) {
        run.err.line(text::kLogNotWritten);
    }
    run.out.line(text::kLogClosed);
    run.ide.release();
    run.log.release();
    run.out.line(text::kQuitHint);
    const bool succeeded = ideWritten && logWritten && !run.inputFailed() && !run.blockChanged;
    return {succeeded ? kExitSuccess : kExitFailure, true};
}

// A file that cannot be created ends the run at once, leaving what was
// written so far. A name that leads to no file of the run's own says what it
// is instead.
SortingEnd endRefused(Run& run, std::string_view complaint,
                      sys::NotOwnFile why = sys::NotOwnFile::None) {
    run.err.line(complaint);
    const std::string_view kind = why == sys::NotOwnFile::Link     ? text::kLink
                                  : why == sys::NotOwnFile::Device ? text::kDevice
                                  : why == sys::NotOwnFile::Socket ? text::kSocket
                                                                   : std::string_view();
    if (!kind.empty()) {
        run.err.line(text::kItIs, kind, text::kOwnFilesOnly);
    }
    return {kExitFailure, false};
}

// An answer outside the ID range, once the log has its record, ends the run
// before any line is read: neither file gets its closing records.
SortingEnd endEarly(Run& run, std::string_view complaint) {
    run.err.line(complaint, text::kClosingNotice);
    run.err.line(text::kQuitHint);
    return closeRun(run);
}

// Claims both files before either is emptied, so that a run refused one of
// them because it is in use (another run still holds it, or the console
// reads or writes it) or no file of its own (a link, a device) changes
// neither; then gives Sorted.ide its header and
// Sorted.log its own. Returns how the run ended when it cannot go on.
std::optional<SortingEnd> openFiles(Run& run) {
    // A log that is no file of the run's own is refused before Sorted.ide is
    // even opened, which would create it.
    const sys::NotOwnFile logEntry = sys::lookAtEntry(text::kSortingLogName);
    if (logEntry != sys::NotOwnFile::None) {
        return endRefused(run, text::kLogNotCreated, logEntry);
    }
    if (openSortedIde(run) != OutputFile::Claim::Taken) {
        return endRefused(run, text::kIdeNotCreated, run.ide.notOwn());
    }
    const OutputFile::Claim log = openSortingLog(run);
    if (log == OutputFile::Claim::InUse || log == OutputFile::Claim::NotOwn) {
        return endRefused(run, text::kLogNotCreated, run.log.notOwn());
    }
    if (!run.ide.truncate()) {
        return endRefused(run, text::kIdeNotCreated);
    }
    run.err.line(text::kIdeCreated);

    // A log that cannot be created ends the run only after Sorted.ide has its
    // header, which is what such a run has always left.
    writeIdeHeader(run.ide);
    if (log != OutputFile::Claim::Taken || !run.log.truncate()) {
        return endRefused(run, text::kLogNotCreated);
    }
    run.err.line(text::kLogCreated);
    return std::nullopt;
}

// Asks one question and reads its answer. An answer that never came (input
// already over) leaves 0, which the range test refuses.
std::int32_t ask(Run& run, std::string_view question) {
    run.out.line(question);
    std::int32_t answer = 0;
    readIdNumber(run.input, answer);
    reportFailedRead(run, run.input, 0);
    run.out.line();
    return answer;
}

// On a console, a sort that takes a while shows how far it has come, on one
// line written over in place; nothing of it reaches a pipe or a file. The
// clock is looked at only now and then, so that it costs nothing per line.
class Progress {
public:
    Progress(LineWriter& out, bool shown, std::int32_t total)
        : out_(out), shown_(shown), total_(total), started_(Clock::now()), last_(started_) {}

    void at(std::int32_t line) {
        if (!shown_ || line % kLinesBetweenLooks != 0) {
            return;
        }
        const Clock::time_point now = Clock::now();
        if (now - started_ < kQuietTime || now - last_ < kTimeBetweenUpdates) {
            return;
        }
        last_ = now;
        any_ = true;
        out_.overwrite(text::kSortingLine, line, text::kSortingOf, total_);
    }

    // The line of progress, once there is one, is left complete.
    void done() {
        if (any_) {
            out_.overwrite(text::kSortingLine, total_, text::kSortingOf, total_);
            out_.endLine();
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::int32_t kLinesBetweenLooks = 1024;
    static constexpr auto kQuietTime = std::chrono::seconds(1);
    static constexpr auto kTimeBetweenUpdates = std::chrono::milliseconds(200);

    LineWriter& out_;
    bool shown_;
    std::int32_t total_;
    Clock::time_point started_;
    Clock::time_point last_;
    bool any_ = false;
};

// Every declared line takes one iteration, accepted or rejected, so the new
// IDs stay consecutive and the totals count every line. Typed or pasted
// lines are prompted for one by one; the lines of a checked block are not,
// and one it rejects means the block is no longer the one checked.
std::int32_t sortLines(Run& run, std::int32_t declared, std::int32_t start) {
    const bool prompted = run.block == nullptr;
    Progress progress(run.out, !prompted && sys::isConsole(run.console.output), declared);
    std::int32_t entered = 0;
    std::string extension;
    for (std::int32_t index = 0; index != declared; ++index) {
        const std::int32_t newId = start + index;
        std::int32_t lineId = 0;

        if (prompted) {
            run.out.line(text::kAskLine);
        }
        readLineId(run.lines(), lineId);
        reportFailedRead(run, run.lines(), index + 1);
        if (prompted) {
            run.out.line(text::kLineDone);
            run.out.line();
        }
        ++entered;

        // A line too long to hold has been reported as unreadable input; its
        // entry marks the gap like a rejected line's. A checked block has no
        // line to reject: one that turns up here was changed since its check,
        // and the digest of what was sorted tells so at the end.
        std::optional<std::string_view> taken;
        if (!isInIdRange(lineId)) {
            if (prompted) {
                run.err.line(text::kBadLineId, text::kErrorNotice);
                run.err.line(text::kQuitHint);
            }
            logLineMismatch(run.log, declared, entered);
        } else if (readLineExtension(run.lines(), extension)) {
            taken = extension;
        }
        reportFailedRead(run, run.lines(), index + 1);
        writeIdeEntry(run.ide, newId, taken);
        logLineBlock(run.log, lineId, newId, taken);
        progress.at(entered);
    }
    progress.done();
    return entered;
}

// The end of a run that took all its lines: the trailers and the totals.
void finishRun(Run& run, std::int32_t entered) {
    writeIdeTrailer(run.ide);
    logClosing(run.log);
    run.out.line(text::kFinished);
    run.out.line();
    run.out.line(text::kTotal, entered);
    logTotal(run.log, entered);
    run.out.line();
    if (run.block != nullptr && !run.block->freeUnder.empty()) {
        run.out << text::kNewIds << run.block->start << text::kNewIdsTo
                << std::int64_t{run.block->start} + entered - 1 << text::kWereFreeUnder;
        writeShown(run.out, run.block->freeUnder);
        run.out.line(text::kSentenceEnd);
        run.out.line();
    }
    run.out.line(text::kThanks);
}

}  // namespace

SortingEnd runSorting(const ConsoleStreams& console) {
    Run run(console, nullptr);
    run.out.lines(text::kBanner);
    if (const std::optional<SortingEnd> refused = openFiles(run)) {
        return *refused;
    }
    run.out.line();
    run.out.line();
    logRunHeader(run.log);

    const std::int32_t declared = ask(run, text::kAskCount);
    if (!isInIdRange(declared)) {
        logInvalidCount(run.log, declared);
        return endEarly(run, text::kBadCount);
    }
    const std::int32_t start = ask(run, text::kAskStart);
    if (!isInIdRange(start)) {
        logInvalidStart(run.log, start);
        return endEarly(run, text::kBadStart);
    }
    finishRun(run, sortLines(run, declared, start));
    return closeRun(run);
}

SortingEnd sortCheckedBlock(const ConsoleStreams& console, const CheckedBlock& block) {
    Run run(console, &block);
    if (const std::optional<SortingEnd> refused = openFiles(run)) {
        return *refused;
    }
    logRunHeader(run.log);
    finishRun(run, sortLines(run, block.lines, block.start));

    // A file that is no longer the one checked, or whose bytes are not those
    // the check read (lines added make it longer), makes results that do not
    // match what the check saw.
    if (!run.blockInput->readFailed()) {
        run.blockInput->readToEnd();
        run.blockChanged = run.blockInput->digest() != block.content ||
                           !isAsChecked(block);
    }
    if (run.blockChanged) {
        reportFile(run.err, block.file, shared::kReasonFollows, text::kBlockChangedInSort);
    }
    return closeRun(run);
}
