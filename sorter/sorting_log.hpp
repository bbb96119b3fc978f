#pragma once

#include <cstdint>

#include "line_record.hpp"
#include "output_file.hpp"

// Sorted.log, the trace of a run: one record group per event, in the order
// the run meets them.
class SortingLog {
public:
    bool openSortingLog();
    void logRunHeader();
    void logInvalidCount(std::int32_t declared);
    void logInvalidStart(std::int32_t start);
    void logLineMismatch(std::int32_t declared, std::int32_t entered);
    void logLineBlock(const LineRecord& record);
    void logClosing();
    void logTotal(std::int32_t entered);
    // False when anything written to the file was lost.
    bool closeSortingLog();

private:
    OutputFile file_;
};
