#include "sorting_log.hpp"

#include "sorter_texts.hpp"

OutputFile::Claim SortingLog::claimSortingLog(const ConsoleStreams& console,
                                              const SortedIde& ide) {
    return file_.claim(text::kSortingLogName,
                       {console.input, console.output, console.error, ide.descriptor()});
}

bool SortingLog::emptySortingLog() {
    return file_.empty();
}

void SortingLog::logRunHeader() {
    LineWriter& log = file_.writer();
    log.line(text::kLogStarting);
    log.line();
    log.line(text::kLogAuthor);
    log.line();
}

void SortingLog::logInvalidCount(std::int32_t declared) {
    logInvalidAnswer(text::kLogInvalidCount, text::kLogDeclaredWas, declared);
}

void SortingLog::logInvalidStart(std::int32_t start) {
    logInvalidAnswer(text::kLogInvalidStart, text::kLogStartWas, start);
}

void SortingLog::logInvalidAnswer(std::string_view heading, std::string_view label,
                                  std::int32_t answer) {
    LineWriter& log = file_.writer();
    log.line(text::kLogCrashed);
    log.line(heading);
    log.line();
    log.line(label, answer);
    log.line(text::kLogOnlyNumbers);
}

void SortingLog::logLineMismatch(std::int32_t declared, std::int32_t entered) {
    LineWriter& log = file_.writer();
    log.line(text::kLogCrashed);
    log.line(text::kLogMismatch);
    log.line(text::kLogDeclaredWas, declared);
    log.line(text::kLogEnteredWas, entered, text::kLogEnteredMark);
}

void SortingLog::logLineBlock(const LineRecord& record) {
    LineWriter& log = file_.writer();
    log.line();
    log.line();
    log.line(text::kLogEnteredLine, record.lineId, record.extension);
    log.line(text::kLogIdDetected, record.lineId);
    log.line(text::kLogIdChanged, record.newId);
    log.line(text::kLogExtension, record.extension);
    log << text::kLogUpdatedLine;
    writeComposedEntry(log, record);
    log.endLine();
    log.line();
    log.line();
}

void SortingLog::logClosing() {
    LineWriter& log = file_.writer();
    log.line(text::kIdeClosed);
    log.line(text::kLogClosed);
    log << text::kLogFinished;
}

void SortingLog::logTotal(std::int32_t entered) {
    file_.writer().line(text::kTotal, entered);
}

bool SortingLog::closeSortingLog() {
    return file_.close();
}

void SortingLog::releaseSortingLog() {
    file_.release();
}
