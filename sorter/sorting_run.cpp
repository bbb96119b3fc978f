#include "sorting_run.hpp"

#include <cstdint>
#include <string>

#include "id_line_reader.hpp"
#include "input_reader.hpp"
#include "line_writer.hpp"
#include "sorted_ide.hpp"
#include "sorting_log.hpp"
#include "sorter_texts.hpp"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

struct Run {
    explicit Run(const ConsoleStreams& streams)
        : out(streams.output),
          err(streams.error),
          input(streams.input, &err) {}

    LineWriter out;
    LineWriter err;
    InputReader input;
    SortedIde ide;
    SortingLog log;
};

void printBanner(LineWriter& out) {
    out.line(text::kBanner1);
    out.line();
    out.line(text::kBanner2);
    out.line();
    out.line(text::kBanner3);
    out.line();
    out.line(text::kBanner4);
    out.line();
    out.line();
}

// Every run that got both files ends here. The product is the files, so a
// write that was lost on the way is reported and fails the run, and so does
// console input that could not be read, since lines may be missing.
int closeRun(Run& run) {
    run.out.line();
    const bool ideWritten = run.ide.closeSortedIde();
    if (!ideWritten) {
        run.err.line(text::kIdeNotWritten);
    }
    run.out.line(text::kIdeClosed);
    const bool logWritten = run.log.closeSortingLog();
    if (!logWritten) {
        run.err.line(text::kLogNotWritten);
    }
    run.out.line(text::kLogClosed);
    // Only now, with both files closed, may another run take them.
    run.ide.releaseSortedIde();
    run.log.releaseSortingLog();
    run.out.line(text::kQuitHint);
    return ideWritten && logWritten && !run.input.readFailed() ? kExitSuccess : kExitFailure;
}

// A file that cannot be created ends the run at once, leaving what was
// written so far. Where a key press ends the program, the Quit hint says so.
int endRefused(Run& run, std::string_view complaint, bool windowWaits) {
    run.err.line(complaint);
    if (windowWaits) {
        run.err.line(text::kQuitHint);
    }
    return kExitFailure;
}

// An answer outside the ID range ends the run before any line is read. The
// files stay as they are, without their closing records.
template <typename LogRecord>
int endEarly(Run& run, std::string_view complaint, LogRecord logRecord) {
    run.err.line(complaint, text::kClosingNotice);
    logRecord();
    run.err.line(text::kQuitHint);
    return closeRun(run);
}

// Asks one question and reads its answer. An answer that never came (input
// already over) leaves 0, which the range test refuses.
std::int32_t ask(Run& run, IdLineReader& reader, std::string_view question) {
    run.out.line(question);
    std::int32_t answer = 0;
    reader.readIdNumber(answer);
    run.out.line();
    return answer;
}

// Every declared line takes one iteration, accepted or rejected, so the new
// IDs stay consecutive and the totals count every line.
std::int32_t sortLines(Run& run, IdLineReader& reader, std::int32_t declared, std::int32_t start) {
    std::int32_t entered = 0;
    std::string extension;
    for (std::int32_t index = 0; index != declared; ++index) {
        LineRecord record;
        record.newId = start + index;

        run.out.line(text::kAskLine);
        reader.readLineId(record.lineId);
        run.out.line(text::kLineDone);
        run.out.line();
        ++entered;

        record.accepted = isInIdRange(record.lineId);
        if (record.accepted) {
            // A line too long to hold has been reported as unreadable input;
            // its entry marks the gap like a rejected line's.
            record.accepted = reader.readLineExtension(extension);
            record.extension = extension;
        } else {
            run.err.line(text::kBadLineId, text::kErrorNotice);
            run.log.logLineMismatch(declared, entered);
            run.err.line(text::kQuitHint);
        }
        run.ide.writeIdeEntry(record);
        run.log.logLineBlock(record);
    }
    return entered;
}

}  // namespace

int runSorting(const ConsoleStreams& console, bool windowWaits) {
    Run run(console);
    printBanner(run.out);

    // Both files are claimed before either is emptied, so that a run refused
    // one of them because it is in use (another run still holds it, or the
    // console reads or writes it) changes neither.
    if (run.ide.claimSortedIde(console) != OutputFile::Claim::Taken) {
        return endRefused(run, text::kIdeNotCreated, windowWaits);
    }
    const OutputFile::Claim logClaim = run.log.claimSortingLog(console, run.ide);
    if (logClaim == OutputFile::Claim::InUse) {
        run.err.line(text::kIdeCreated);
        return endRefused(run, text::kLogNotCreated, windowWaits);
    }
    if (!run.ide.emptySortedIde()) {
        return endRefused(run, text::kIdeNotCreated, windowWaits);
    }
    run.err.line(text::kIdeCreated);

    // A log that cannot be created ends the run only after Sorted.ide has its
    // header, which is what such a run has always left.
    run.ide.writeIdeHeader();
    if (logClaim != OutputFile::Claim::Taken || !run.log.emptySortingLog()) {
        return endRefused(run, text::kLogNotCreated, windowWaits);
    }
    run.err.line(text::kLogCreated);
    run.out.line();
    run.out.line();

    run.log.logRunHeader();

    IdLineReader reader(run.input);

    const std::int32_t declared = ask(run, reader, text::kAskCount);
    if (!isInIdRange(declared)) {
        return endEarly(run, text::kBadCount, [&] { run.log.logInvalidCount(declared); });
    }

    const std::int32_t start = ask(run, reader, text::kAskStart);
    if (!isInIdRange(start)) {
        return endEarly(run, text::kBadStart, [&] { run.log.logInvalidStart(start); });
    }

    const std::int32_t entered = sortLines(run, reader, declared, start);

    run.ide.writeIdeTrailer();
    run.log.logClosing();
    run.out.line(text::kFinished);
    run.out.line();
    run.out.line(text::kTotal, entered);
    run.log.logTotal(entered);
    run.out.line();
    run.out.line(text::kThanks);
    return closeRun(run);
}
