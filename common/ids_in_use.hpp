#pragma once

// The IDs the IDE files under a folder define: which of the range are in
// use, which are defined more than once, where each is defined, and the runs
// of IDs nobody uses. A file is read by the rule the block check applies to a
// line (block_check.hpp): inside a section that defines IDs ("objs", "tobj",
// "anim", "tanm", "weap", "cars", "peds", "hier", in any case, each ending at
// "end"), every line that starts with an ID defines it, and the field after
// the ID names the model. Memory stays small however many files there are: a
// bit per ID of the range, twice, and what a report shows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/console_output.hpp"
#include "common/id_rule.hpp"

// One bit per ID of the range.
class IdSet {
public:
    IdSet() : words_(static_cast<std::size_t>(kHighestId) / 64 + 1) {}

    bool has(std::int32_t id) const {
        return isInIdRange(id) && (words_[index(id)] & bit(id)) != 0;
    }
    void add(std::int32_t id) { words_[index(id)] |= bit(id); }

    // How many IDs the set holds.
    std::int32_t count() const;

    // The lowest ID of the set from `from` to `to`, or none.
    std::optional<std::int32_t> firstIn(std::int32_t from, std::int32_t to) const;

private:
    static std::size_t index(std::int32_t id) { return static_cast<std::size_t>(id) / 64; }
    static std::uint64_t bit(std::int32_t id) { return std::uint64_t{1} << (id % 64); }

    std::vector<std::uint64_t> words_;
};

// Where an ID is defined.
struct Place {
    std::string file;    // its path, from the folder on
    std::int64_t line;   // counted from 1
    std::string model;   // the field after the ID, at most kModelShown bytes of it
};
constexpr std::size_t kModelShown = 64;

// Writes a place as `path:line  model`, shown safely.
void writePlace(LineWriter& out, const Place& place);

struct DefinedId {
    std::int32_t id;
    Place place;
};

// An IDE file under a folder, named from the folder on. One that is no file on
// disk (a device, a FIFO, a socket) is named as such and never opened.
struct IdeFile {
    std::string name;
    bool onDisk;
};

// What the IDE files under a folder define.
struct FolderIds {
    std::vector<IdeFile> files;      // the IDE files, in byte order of their names
    std::int64_t filesRead = 0;      // those read whole
    bool allRead = true;             // false when a file or folder could not be read
    IdSet used;                      // the IDs of the range defined
    IdSet twice;                     // those defined more than once
    std::int32_t lowest = 0;         // the lowest and highest of them; 0 when none
    std::int32_t highest = 0;
    std::vector<DefinedId> outsiders;  // IDs outside the range (0, negative, above it)
};

// Reads every IDE file under `folder`: names ending in ".ide" in any case, in
// every subfolder, links to folders not followed. A file or subfolder that
// cannot be read, or is saved as UTF-16, is named on `err` with its reason,
// for `program`, and the rest are read; the folder itself is named as the user
// gave it, `shownAs`.
FolderIds readFolderIds(std::string_view folder, std::string_view shownAs,
                        std::string_view program, LineWriter& err);

// Every place under `folder` that defines an ID of `wanted`, lowest ID first,
// the places of one ID in the order of files and lines, read again from the
// files `ids` found.
std::vector<DefinedId> placesOf(std::string_view folder, const FolderIds& ids,
                                const IdSet& wanted);

// A run of IDs of the range that no file defines.
struct FreeRange {
    std::int32_t first;
    std::int32_t last;
    std::int32_t size() const { return last - first + 1; }
};

// Hands each run of at least `atLeast` unused IDs of the range to
// `each(range)`, lowest first, until it returns false.
template <typename Each>
void forEachFreeRange(const IdSet& used, std::int32_t atLeast, Each each) {
    std::int32_t first = kLowestId;
    for (std::int32_t id = kLowestId; id <= kHighestId + 1; ++id) {
        if (id <= kHighestId && !used.has(id)) {
            continue;
        }
        if (id - first >= atLeast && id > first && !each(FreeRange{first, id - 1})) {
            return;
        }
        first = id + 1;
    }
}

// The lowest start of `count` consecutive unused IDs of the range; none when
// there is no such run.
std::optional<std::int32_t> lowestFreeStart(const IdSet& used, std::int32_t count);
