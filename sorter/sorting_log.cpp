#include "sorting_log.hpp"

#include "texts.hpp"

bool SortingLog::openSortingLog() {
    return file_.open(text::kSortingLogName);
}

void SortingLog::logRunHeader() {
    LineWriter& log = file_.writer();
    log.line(text::kLogStarting);
    log.line();
    log.line(text::kLogAuthor);
    log.line();
}

void SortingLog::logInvalidCount(std::int32_t declared) {
    LineWriter& log = file_.writer();
    log.line(text::kLogCrashed);
    log.line(text::kLogInvalidCount);
    log.line();
    log.line(text::kLogDeclaredWas, declared);
    log.line(text::kLogOnlyNumbers);
}

void SortingLog::logInvalidStart(std::int32_t start) {
    LineWriter& log = file_.writer();
    log.line(text::kLogCrashed);
    log.line(text::kLogInvalidStart);
    log.line();
    log.line(text::kLogStartWas, start);
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
