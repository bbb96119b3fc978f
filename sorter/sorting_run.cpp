#include "sorter/sorting_run.hpp"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/block_check.hpp"
#include "common/console_output.hpp"
#include "common/id_rule.hpp"
#include "common/system.hpp"
#include "common/texts.hpp"
#include "sorter/sorter_texts.hpp"

namespace text = renumbrix_text;
namespace shared = common_text;

// --- Reading console input, by the ID rule (id_rule.hpp).

namespace {

// Whether a read may go on. The first read of an input looks at the mark its
// editor may have put in front of it: a UTF-8 mark is passed over, and UTF-16
// text cannot be read.
bool mayRead(InputReader& input) {
    if (!input.stopped() && input.atStart()) {
        switch (textMarkAt(input)) {
            case TextMark::Utf8:
                input.skipBytes(kUtf8Mark.size());
                break;
            case TextMark::Utf16:
                input.fail(EILSEQ);
                break;
            case TextMark::None:
                break;
        }
    }
    return !input.stopped();
}

// The rest of the current line as a source for the ID rule: it ends at the
// line break, which it leaves unread.
class RestOfLine {
public:
    explicit RestOfLine(InputReader& input) : input_(input) {}
    int peek() {
        const int c = input_.peek();
        return c == '\n' ? InputReader::kEnd : c;
    }
    void skip() { input_.skip(); }

private:
    InputReader& input_;
};

}  // namespace

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

bool readWholeLineNumber(InputReader& input, std::int32_t& value) {
    if (!mayRead(input)) {
        return false;
    }
    RestOfLine line(input);
    NumberRead read = readNumber(line, value);
    while (isBlank(line.peek())) {
        line.skip();
    }
    // Anything more on the line makes all of it no number.
    if (read != NumberRead::Nothing && line.peek() != InputReader::kEnd) {
        value = 0;
        read = NumberRead::NotANumber;
    }
    // Nothing behind the line is looked at: a person may still be typing.
    input.skipLine();
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

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

// A block file that has passed the block check, ready to be sorted.
struct CheckedBlock {
    int fd;                  // read from its start
    std::int32_t lines;      // the lines the check counted, every one of them taken
    std::string_view folder; // the current folder, the block's own, where the files go
};

struct Run {
    Run(const ConsoleStreams& streams, const CheckedBlock* checked)
        : console(streams),
          block(checked),
          out(streams.output),
          err(streams.error),
          input(streams.input) {
        if (block != nullptr) {
            blockInput = std::make_unique<InputReader>(block->fd);
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
};

// A read that failed is reported once, when it happens; input in UTF-16 says
// first what it is.
void reportFailedRead(Run& run, InputReader& input) {
    if (input.failureToReport()) {
        if (input.readError() == EILSEQ) {
            run.err.line(text::kInputIsUtf16);
        }
        run.err.line(shared::kInputNotRead);
    }
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
// console input that could not be read, since lines may be missing. Both
// files stay held until both are closed.
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
    const bool succeeded = ideWritten && logWritten && !run.inputFailed();
    return {succeeded ? kExitSuccess : kExitFailure, true};
}

// A file that cannot be created ends the run at once, leaving what was
// written so far.
SortingEnd endRefused(Run& run, std::string_view complaint) {
    run.err.line(complaint);
    return {kExitFailure, false};
}

// An answer outside the ID range, once the log has its record, ends the run
// before any line is read: neither file gets its closing records.
SortingEnd endEarly(Run& run, std::string_view complaint) {
    run.err.line(complaint, text::kClosingNotice);
    run.err.line(text::kQuitHint);
    return closeRun(run);
}

// Asks one question and reads its answer. An answer that never came (input
// already over) leaves 0, which the range test refuses.
std::int32_t ask(Run& run, std::string_view question) {
    run.out.line(question);
    std::int32_t answer = 0;
    readIdNumber(run.input, answer);
    reportFailedRead(run, run.input);
    run.out.line();
    return answer;
}

// With a block file the console holds one typed answer only, read as a whole
// line, so that a slip such as "15OO" is refused rather than taken as 15.
std::int32_t askWholeLine(Run& run, std::string_view question) {
    run.out.line(question);
    std::int32_t answer = 0;
    readWholeLineNumber(run.input, answer);
    reportFailedRead(run, run.input);
    run.out.line();
    return answer;
}

// The count question, answered from the block file: the count stands where a
// typed answer would be.
std::int32_t tellCount(Run& run, std::int32_t count) {
    run.out.line(text::kAskCount);
    run.out.line(count);
    run.out.line();
    return count;
}

// Every declared line takes one iteration, accepted or rejected, so the new
// IDs stay consecutive and the totals count every line.
std::int32_t sortLines(Run& run, std::int32_t declared, std::int32_t start) {
    std::int32_t entered = 0;
    std::string extension;
    for (std::int32_t index = 0; index != declared; ++index) {
        const std::int32_t newId = start + index;
        std::int32_t lineId = 0;

        run.out.line(text::kAskLine);
        readLineId(run.lines(), lineId);
        reportFailedRead(run, run.lines());
        run.out.line(text::kLineDone);
        run.out.line();
        ++entered;

        // A line too long to hold has been reported as unreadable input; its
        // entry marks the gap like a rejected line's.
        std::optional<std::string_view> taken;
        if (!isInIdRange(lineId)) {
            run.err.line(text::kBadLineId, text::kErrorNotice);
            logLineMismatch(run.log, declared, entered);
            run.err.line(text::kQuitHint);
        } else if (readLineExtension(run.lines(), extension)) {
            taken = extension;
        }
        reportFailedRead(run, run.lines());
        writeIdeEntry(run.ide, newId, taken);
        logLineBlock(run.log, lineId, newId, taken);
    }
    return entered;
}

SortingEnd sort(const ConsoleStreams& console, const CheckedBlock* block) {
    Run run(console, block);
    run.out.lines(text::kBanner);
    if (block != nullptr) {
        run.out << text::kResultsFolder;
        writeShown(run.out, block->folder);
        run.out.endLine();
    }

    // Both files are claimed before either is emptied, so that a run refused
    // one of them because it is in use (another run still holds it, or the
    // console reads or writes it) changes neither.
    if (openSortedIde(run) != OutputFile::Claim::Taken) {
        return endRefused(run, text::kIdeNotCreated);
    }
    const OutputFile::Claim log = openSortingLog(run);
    if (log == OutputFile::Claim::InUse) {
        return endRefused(run, text::kLogNotCreated);
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
    run.out.line();
    run.out.line();

    logRunHeader(run.log);

    const std::int32_t declared =
        block != nullptr ? tellCount(run, block->lines) : ask(run, text::kAskCount);
    if (!isInIdRange(declared)) {
        logInvalidCount(run.log, declared);
        return endEarly(run, text::kBadCount);
    }

    const std::int32_t start =
        block != nullptr ? askWholeLine(run, text::kAskStart) : ask(run, text::kAskStart);
    if (!isInIdRange(start)) {
        logInvalidStart(run.log, start);
        return endEarly(run, text::kBadStart);
    }

    const std::int32_t entered = sortLines(run, declared, start);

    writeIdeTrailer(run.ide);
    logClosing(run.log);
    run.out.line(text::kFinished);
    run.out.line();
    run.out.line(text::kTotal, entered);
    logTotal(run.log, entered);
    run.out.line();
    run.out.line(text::kThanks);
    return closeRun(run);
}

// A block file refused before anything was touched: the reason has been
// given, and one line says that nothing changed.
SortingEnd refuseBlock(LineWriter& err) {
    err.line(text::kBlockNotTaken);
    return {kExitFailure, false};
}

// The block file's descriptor, closed when the run is over.
class BlockDescriptor {
public:
    explicit BlockDescriptor(int fd) : fd_(fd) {}
    BlockDescriptor(const BlockDescriptor&) = delete;
    BlockDescriptor& operator=(const BlockDescriptor&) = delete;
    ~BlockDescriptor() {
        if (fd_ >= 0) {
            sys::closeFile(fd_);
        }
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace

SortingEnd runSorting(const ConsoleStreams& console) {
    return sort(console, nullptr);
}

SortingEnd sortBlockFile(std::string_view name, const ConsoleStreams& console) {
    LineWriter out(console.output);
    LineWriter err(console.error);
    const BlockFile file{text::kProgramName, name, false};
    const std::string path(name);
    const BlockDescriptor block(sys::openInputFile(path.c_str()));
    if (block.fd() < 0) {
        reportUnreadable(err, file, errno);
        return refuseBlock(err);
    }

    // The file is read twice, to check it and then to sort it, holding no
    // more than a line at a time. A file changed while it was checked is
    // refused; the sort takes no more lines than the check counted.
    sys::FileStamp before{};
    sys::FileStamp after{};
    const bool stamped = sys::stampFile(block.fd(), before);
    const BlockCheck check = checkBlock(block.fd(), file, out, err, false);
    if (check.result == BlockCheck::Result::OutputFailed) {
        err.line(shared::kOutputNotWritten);
    }
    if (check.result != BlockCheck::Result::Ready) {
        return refuseBlock(err);
    }
    if (!sys::rewindFile(block.fd())) {
        reportFile(err, file, shared::kReasonFollows, text::kBlockNotOnDisk);
        return refuseBlock(err);
    }
    if (!stamped || !sys::stampFile(block.fd(), after) || !(before == after)) {
        reportFile(err, file, shared::kReasonFollows, text::kBlockChanged);
        return refuseBlock(err);
    }

    // A file dropped on the program does not start it in a folder the user
    // chose: the results go beside the block.
    const std::string folder = sys::folderOf(name);
    if (!sys::changeFolder(folder.c_str())) {
        reportFile(err, file, text::kCannotEnterFolder, shared::kReasonFollows,
                   std::strerror(errno));
        return refuseBlock(err);
    }
    const std::string current = sys::currentFolder();
    const CheckedBlock checked{block.fd(), static_cast<std::int32_t>(check.lines),
                               current.empty() ? std::string_view(folder) : current};
    return sort(console, &checked);
}

SortingEnd refuseSeveralBlocks(const ConsoleStreams& console) {
    LineWriter err(console.error);
    err.line(text::kProgramName, text::kSeveralBlocks);
    return refuseBlock(err);
}
