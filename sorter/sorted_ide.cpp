#include "sorted_ide.hpp"

#include "sorter_texts.hpp"

OutputFile::Claim SortedIde::claimSortedIde(const ConsoleStreams& console) {
    return file_.claim(text::kSortedIdeName, {console.input, console.output, console.error});
}

bool SortedIde::emptySortedIde() {
    return file_.empty();
}

void SortedIde::writeIdeHeader() {
    LineWriter& ide = file_.writer();
    ide.line(text::kIdeComment);
    ide.line(text::kObjectsSection);
}

void SortedIde::writeIdeEntry(const LineRecord& record) {
    LineWriter& ide = file_.writer();
    writeComposedEntry(ide, record);
    ide.endLine();
}

void SortedIde::writeIdeTrailer() {
    LineWriter& ide = file_.writer();
    ide.line(text::kSectionEnd);
    ide.line(text::kTimedObjectsSection);
    ide.line(text::kSectionEnd);
    ide.line(text::kEffectsSection);
    ide.line(text::kSectionEnd);
}

bool SortedIde::closeSortedIde() {
    return file_.close();
}

void SortedIde::releaseSortedIde() {
    file_.release();
}
