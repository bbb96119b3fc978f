#pragma once

#include <cstdint>
#include <string_view>

#include "console_streams.hpp"
#include "line_record.hpp"
#include "output_file.hpp"
#include "sorted_ide.hpp"

// Sorted.log, the trace of a run: one record group per event, in the order
// the run meets them.
class SortingLog {
public:
    // Takes the file, changing nothing in it yet. In use when another run
    // holds it or it is the console's input or output or Sorted.ide.
    OutputFile::Claim claimSortingLog(const ConsoleStreams& console, const SortedIde& ide);
    // Empties the claimed file; false when it cannot be emptied.
    bool emptySortingLog();
    void logRunHeader();
    void logInvalidCount(std::int32_t declared);
    void logInvalidStart(std::int32_t start);
    void logLineMismatch(std::int32_t declared, std::int32_t entered);
    void logLineBlock(const LineRecord& record);
    void logClosing();
    void logTotal(std::int32_t entered);
    // False when anything written to the file was lost. The hold stays until
    // releaseSortingLog.
    bool closeSortingLog();
    void releaseSortingLog();

private:
    // The group for a refused answer to one of the two questions.
    void logInvalidAnswer(std::string_view heading, std::string_view label, std::int32_t answer);

    OutputFile file_;
};
