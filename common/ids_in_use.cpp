// The IDs a folder's IDE files define, read by the block check's rule for a
// line, and the free runs between them.

#include "common/ids_in_use.hpp"

#include <algorithm>
#include <cerrno>

#include "common/block_check.hpp"
#include "common/console_input.hpp"
#include "common/shown.hpp"
#include "common/system.hpp"
#include "common/texts.hpp"

namespace shared = common_text;

namespace {

// The sections whose lines define IDs; every other one (2dfx, path, txdp,
// inst...) defines none, and "end" closes the section.
bool definesIds(std::string_view keyword) {
    for (const std::string_view defining :
         {"objs", "tobj", "anim", "tanm", "weap", "cars", "peds", "hier"}) {
        if (keyword == defining) {
            return true;
        }
    }
    return false;
}

// A line that starts with a number defines that number, whatever follows it.
bool startsWithId(Verdict verdict) {
    switch (verdict) {
        case Verdict::Taken:
        case Verdict::OutOfRange:
        case Verdict::TooLong:
        case Verdict::IdRunsOn:
        case Verdict::CarriageReturn:
            return true;
        case Verdict::Empty:
        case Verdict::Keyword:
        case Verdict::NoId:
        case Verdict::ByteOrderMark:
            break;
    }
    return false;
}

// The field after the ID: behind its separators, up to the next one.
std::string modelOf(const JudgedLine& line) {
    const std::string_view rest = std::string_view(line.start).substr(
        std::min(line.idEnd, line.start.size()));
    const auto isSeparator = [](char c) { return mayFollowId(static_cast<unsigned char>(c)); };
    const auto first = std::find_if_not(rest.begin(), rest.end(), isSeparator);
    const auto last = std::find_if(first, rest.end(), isSeparator);
    return std::string(first, first + std::min<std::ptrdiff_t>(last - first, kModelShown));
}

bool endsInIde(std::string_view name) {
    if (name.size() < 4) {
        return false;
    }
    const std::string_view end = name.substr(name.size() - 4);
    return end[0] == '.' && lowerCase(end[1]) == 'i' && lowerCase(end[2]) == 'd' &&
           lowerCase(end[3]) == 'e';
}

// Reads one IDE file, handing every ID it defines to `define(id, line
// number, judged line)`. False, the reason told on `err`, when the file
// cannot be read whole.
template <typename Define>
bool readIdeFile(std::string_view folder, const IdeFile& ide, const BlockFile& file,
                 LineWriter& err, Define define) {
    // A device or FIFO named like an IDE file could be read for ever, and
    // opening a device may itself do something: it is not opened at all.
    if (!ide.onDisk) {
        reportFile(err, file, shared::kReasonFollows, shared::kNotOnDisk);
        return false;
    }
    const int fd = sys::openInputFile(sys::joinPath(folder, ide.name).c_str());
    if (fd < 0) {
        reportUnreadable(err, file, errno);
        return false;
    }
    // One put in the file's place since the folder was listed.
    if (!sys::isRegularFile(fd)) {
        sys::closeFile(fd);
        reportFile(err, file, shared::kReasonFollows, shared::kNotOnDisk);
        return false;
    }
    InputReader input(fd);
    if (passMarkAtStart(input) == TextMark::Utf16) {
        sys::closeFile(fd);
        reportFile(err, file, shared::kReasonFollows, shared::kFileIsUtf16);
        return false;
    }
    JudgedLine line;
    bool defining = false;
    for (std::int64_t number = 1; input.peek() != InputReader::kEnd; ++number) {
        judgeLine(input, line, Keep::ForListing);
        if (line.verdict == Verdict::Keyword) {
            defining = definesIds(line.keyword);
        } else if (defining && startsWithId(line.verdict)) {
            define(line.id, number, line);
        }
    }
    sys::closeFile(fd);
    if (input.readFailed()) {
        reportUnreadable(err, file, input.readError());
        return false;
    }
    return true;
}

// Every IDE file under the folder, from the folder on, in byte order. Folders
// that cannot be listed are named on `err`.
std::vector<IdeFile> ideFilesUnder(std::string_view folder, std::string_view shownAs,
                                   std::string_view program, LineWriter& err, bool& allRead) {
    std::vector<IdeFile> files;
    std::vector<std::string> pending{std::string()};
    std::vector<sys::FolderEntry> entries;
    while (!pending.empty()) {
        const std::string here = std::move(pending.back());
        pending.pop_back();
        entries.clear();
        if (!sys::listFolder(sys::joinPath(folder, here).c_str(), entries)) {
            allRead = false;
            reportUnreadable(err, BlockFile{program, here.empty() ? shownAs : here, false}, errno);
            continue;
        }
        for (const sys::FolderEntry& entry : entries) {
            const std::string path = here.empty() ? entry.name : sys::joinPath(here, entry.name);
            if (entry.kind == sys::FolderEntry::Kind::Folder) {
                pending.push_back(path);
            } else if (entry.kind != sys::FolderEntry::Kind::Other && endsInIde(entry.name)) {
                files.push_back({path, entry.kind == sys::FolderEntry::Kind::File});
            }
        }
    }
    std::sort(files.begin(), files.end(),
              [](const IdeFile& a, const IdeFile& b) { return a.name < b.name; });
    return files;
}

}  // namespace

void writePlace(LineWriter& out, const Place& place) {
    writeShown(out, place.file);
    out << shared::kPlaceLineBefore << place.line << shared::kPlaceModelBefore;
    writeShown(out, place.model);
}

std::int32_t IdSet::count() const {
    std::int32_t total = 0;
    for (std::uint64_t word : words_) {
        for (; word != 0; word &= word - 1) {
            ++total;
        }
    }
    return total;
}

std::optional<std::int32_t> IdSet::firstIn(std::int32_t from, std::int32_t to) const {
    for (std::int32_t id = std::max(from, kLowestId); id <= std::min(to, kHighestId); ++id) {
        if (has(id)) {
            return id;
        }
    }
    return std::nullopt;
}

FolderIds readFolderIds(std::string_view folder, std::string_view shownAs,
                        std::string_view program, LineWriter& err) {
    FolderIds ids;
    ids.files = ideFilesUnder(folder, shownAs, program, err, ids.allRead);
    for (const IdeFile& ide : ids.files) {
        const std::string& name = ide.name;
        const BlockFile file{program, name, false};
        const auto define = [&](std::int32_t id, std::int64_t number, const JudgedLine& line) {
            if (!isInIdRange(id)) {
                ids.outsiders.push_back({id, {name, number, modelOf(line)}});
                return;
            }
            if (ids.used.has(id)) {
                ids.twice.add(id);
            }
            ids.used.add(id);
            ids.lowest = ids.lowest == 0 ? id : std::min(ids.lowest, id);
            ids.highest = std::max(ids.highest, id);
        };
        const bool read = readIdeFile(folder, ide, file, err, define);
        ids.filesRead += read ? 1 : 0;
        ids.allRead = ids.allRead && read;
    }
    return ids;
}

std::vector<DefinedId> placesOf(std::string_view folder, const FolderIds& ids,
                                const IdSet& wanted) {
    std::vector<DefinedId> places;
    LineWriter nowhere(-1);
    for (const IdeFile& ide : ids.files) {
        readIdeFile(folder, ide, BlockFile{{}, ide.name, false}, nowhere,
                    [&](std::int32_t id, std::int64_t number, const JudgedLine& line) {
            if (wanted.has(id)) {
                places.push_back({id, {ide.name, number, modelOf(line)}});
            }
        });
    }
    std::stable_sort(places.begin(), places.end(),
                     [](const DefinedId& a, const DefinedId& b) { return a.id < b.id; });
    return places;
}

std::optional<std::int32_t> lowestFreeStart(const IdSet& used, std::int32_t count) {
    std::optional<std::int32_t> start;
    forEachFreeRange(used, count, [&](const FreeRange& range) {
        start = range.first;
        return false;
    });
    return start;
}
