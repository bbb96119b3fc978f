#pragma once

#include "console_streams.hpp"
#include "line_record.hpp"
#include "output_file.hpp"

// Sorted.ide, the renumbered item definition file: a comment, the "objs"
// section with one entry per line, then empty "tobj" and "2dfx" sections.
class SortedIde {
public:
    // Fails when the file cannot be created, is held by another run, or is the
    // console's own input or output.
    bool openSortedIde(const ConsoleStreams& console);
    void writeIdeHeader();
    void writeIdeEntry(const LineRecord& record);
    void writeIdeTrailer();
    // False when anything written to the file was lost.
    bool closeSortedIde();

    int descriptor() const { return file_.descriptor(); }

private:
    OutputFile file_;
};
