#include "line_record.hpp"

#include "sorter_texts.hpp"

void writeComposedEntry(LineWriter& writer, const LineRecord& record) {
    if (record.accepted) {
        writer << record.newId << record.extension;
    } else {
        writer << text::kRejectedEntryMark << record.newId;
    }
}
