// tallyrun's report on the IDE files under a folder: what they define, the
// IDs defined twice or outside the range, and the runs of free IDs.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/ids_in_use.hpp"
#include "common/shown.hpp"
#include "common/texts.hpp"
#include "counter/counter_texts.hpp"
#include "counter/tally.hpp"

namespace text = tallyrun_text;
namespace shared = common_text;

namespace {

// Each ID with the places that define it: the ID on a line of its own, then
// one indented line per place, `path:line  model`.
void writePlaces(LineWriter& out, const std::vector<DefinedId>& places) {
    for (std::size_t index = 0; index < places.size(); ++index) {
        const DefinedId& defined = places[index];
        if (index == 0 || places[index - 1].id != defined.id) {
            out.line(defined.id);
        }
        out << text::kPlaceIndent;
        writePlace(out, defined.place);
        out.endLine();
    }
}

// The runs of at least `atLeast` free IDs, lowest first, the first
// kRangesShown of them in full.
void writeFreeRanges(LineWriter& out, const IdSet& used, std::int32_t atLeast) {
    std::size_t shown = 0;
    std::int64_t more = 0;
    forEachFreeRange(used, atLeast, [&](const FreeRange& range) {
        if (shown == 0) {
            out.line(text::kFreeRanges, atLeast, text::kFreeRangesEnd);
        }
        if (shown < text::kRangesShown) {
            out.line(range.first, text::kRangeDash, range.last, text::kRangeFree, range.size(),
                     text::kRangeFreeEnd);
            ++shown;
        } else {
            ++more;
        }
        return !out.failed();
    });
    if (shown == 0) {
        out.line(text::kNoFreeRun, atLeast, text::kNoFreeRunEnd);
    } else if (more > 0) {
        out.line(text::kMoreRanges, more);
    }
}

}  // namespace

int runFolderCheck(std::string_view folder, std::optional<std::string_view> block,
                   const ConsoleStreams& console) {
    LineWriter out(console.output);
    LineWriter err(console.error);
    int status = text::kExitReady;
    std::int64_t taken = 0;
    if (block) {
        status = checkFile(*block, console, out, err, &taken);
    }
    const std::int32_t lines = static_cast<std::int32_t>(std::min<std::int64_t>(taken, kHighestId));

    const FolderIds ids = readFolderIds(folder, folder, text::kProgramName, err);
    writeShown(out, folder);
    out.line(shared::kNameEnd);
    const std::int32_t defined = ids.used.count();
    out << text::kFilesRead << ids.filesRead << text::kIdsDefined;
    if (defined == 0) {
        out.line(text::kNoIdDefined);
    } else {
        out.line(defined, text::kIdsFrom, ids.lowest, text::kIdsTo, ids.highest,
                 text::kSentenceEnd);
    }
    const bool conflicts = ids.twice.count() > 0;
    if (conflicts) {
        out.line(text::kDefinedTwice);
        writePlaces(out, placesOf(folder, ids, ids.twice));
    }
    if (!ids.outsiders.empty()) {
        std::vector<DefinedId> outsiders = ids.outsiders;
        std::stable_sort(outsiders.begin(), outsiders.end(),
                         [](const DefinedId& a, const DefinedId& b) { return a.id < b.id; });
        out.line(text::kOutsideRange);
        writePlaces(out, outsiders);
    }
    writeFreeRanges(out, ids.used, lines > 0 ? lines : text::kSmallestRange);
    if (lines > 0) {
        if (const std::optional<std::int32_t> start = lowestFreeStart(ids.used, lines)) {
            out.line(text::kLowestStart, lines, text::kLowestStartLines, *start);
        }
    }

    if (out.failed()) {
        err.line(shared::kOutputNotWritten);
        return text::kExitTrouble;
    }
    const int folderStatus = !ids.allRead ? text::kExitTrouble
                             : conflicts  ? text::kExitListed
                                          : text::kExitReady;
    return std::max(status, folderStatus);
}
