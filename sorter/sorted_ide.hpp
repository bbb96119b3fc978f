#pragma once

#include "console_streams.hpp"
#include "line_record.hpp"
#include "output_file.hpp"

// Sorted.ide, the renumbered item definition file: a comment, the "objs"
// section with one entry per line, then empty "tobj" and "2dfx" sections.
class SortedIde {
public:
    // Takes the file, changing nothing in it yet. In use when another run
    // holds it or it is the console's own input or output.
    OutputFile::Claim claimSortedIde(const ConsoleStreams& console);
    // Empties the claimed file; false when it cannot be emptied.
    bool emptySortedIde();
    void writeIdeHeader();
    void writeIdeEntry(const LineRecord& record);
    void writeIdeTrailer();
    // False when anything written to the file was lost. The hold stays until
    // releaseSortedIde.
    bool closeSortedIde();
    void releaseSortedIde();

    int descriptor() const { return file_.descriptor(); }

private:
    OutputFile file_;
};
