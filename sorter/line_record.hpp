#pragma once

#include <cstdint>
#include <string_view>

#include "line_writer.hpp"

// What one iteration of the line loop produced: the ID read at the front of
// the line, the new ID it gets, and the rest of the line when it was accepted.
struct LineRecord {
    std::int32_t lineId = 0;
    std::int32_t newId = 0;
    std::string_view extension;
    bool accepted = false;
};

// Writes the renumbered line: the new ID followed directly by the extension,
// which brings its own separator. A rejected line becomes a comment holding
// only its new ID, so no definition is repeated and the gap stays visible.
void writeComposedEntry(LineWriter& writer, const LineRecord& record);
