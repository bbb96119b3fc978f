#pragma once

#include "line_record.hpp"
#include "output_file.hpp"

// Sorted.ide, the renumbered item definition file: a comment, the "objs"
// section with one entry per line, then empty "tobj" and "2dfx" sections.
class SortedIde {
public:
    bool openSortedIde();
    void writeIdeHeader();
    void writeIdeEntry(const LineRecord& record);
    void writeIdeTrailer();
    // False when anything written to the file was lost.
    bool closeSortedIde();

private:
    OutputFile file_;
};
