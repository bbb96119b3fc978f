// The front end of a block file: checked, counted, its starting ID asked for
// until it is right, and nothing touched until then.

#include "sorter/block_file.hpp"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "common/block_check.hpp"
#include "common/console_output.hpp"
#include "common/id_rule.hpp"
#include "common/ids_in_use.hpp"
#include "common/shown.hpp"
#include "common/system.hpp"
#include "common/texts.hpp"
#include "sorter/sorter_texts.hpp"

namespace text = renumbrix_text;
namespace shared = common_text;

namespace {

using text::kExitFailure;

// How much of a typed answer is kept to judge and show, from its first byte
// that is no blank: more than any number needs.
constexpr std::size_t kAnswerKept = 256;

// The block file's descriptor, closed when the run is over.
class BlockDescriptor {
public:
    explicit BlockDescriptor(int fd) : fd_(fd) {}
    BlockDescriptor(const BlockDescriptor&) = delete;
    BlockDescriptor& operator=(const BlockDescriptor&) = delete;
    ~BlockDescriptor() {
        if (fd_ >= 0) {
            sys::closeFile(fd_);
        }
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

// A refusal: the reason has been given, and one line says what to do, where
// there is more to do than the reason says, and that nothing changed.
SortingEnd refuseBlock(LineWriter& err, std::string_view whatToDo) {
    err.line(whatToDo, text::kLeftAsTheyWere);
    return {kExitFailure, false};
}

// The one line that ends the listing of a block that is not ready, in
// renumbrix's terms: what to do before giving it to renumbrix again.
SortingEnd refuseListed(LineWriter& err, const Tally& tally) {
    if (tally.taken() > kHighestId) {
        return refuseBlock(err, text::kSplitBlock);
    }
    return refuseBlock(err, tally.lines == 0 ? text::kNothingToSort : text::kFixListed);
}

// A typed text as a source for the ID rule.
struct TextSource {
    std::string_view text;
    std::size_t at = 0;
    int peek() const { return at < text.size() ? static_cast<unsigned char>(text[at]) : -1; }
    void skip() { ++at; }
};

// The first character of `typed`, from `at` on, that can be in no number:
// anything but blanks, digits and a sign where a number starts.
std::optional<std::size_t> firstNoDigit(std::string_view typed, std::size_t at) {
    for (; at < typed.size(); ++at) {
        const char c = typed[at];
        const bool sign = (c == '+' || c == '-') && (at == 0 || isBlank(typed[at - 1]));
        if (!isBlank(c) && !isDigit(c) && !sign) {
            return at;
        }
    }
    return std::nullopt;
}

// Begins what is said of a typed answer: the program's name, and the answer
// as far as it is shown, cut where it goes on.
void writeAnswer(LineWriter& err, std::string_view typed, bool cut) {
    err << text::kProgramName << text::kAnswerWas;
    writeShown(err, typed.substr(0, shared::kRestShown));
    err << (cut || typed.size() > shared::kRestShown ? shared::kRestCut : std::string_view());
}

// Says why a typed starting ID cannot be taken, showing what was typed so
// that a letter O reads as a letter, not as the zero it looks like.
void explainAnswer(LineWriter& err, std::string_view typed, bool cut, const StartAnswer& answer,
                   std::int32_t lines) {
    if (answer.kind == StartAnswer::Kind::Empty) {
        err.line(text::kProgramName, text::kAnswerEmpty);
        return;
    }
    writeAnswer(err, typed, cut);
    switch (answer.kind) {
        case StartAnswer::Kind::NoNumber: {
            err << text::kNoWholeNumber;
            if (!answer.wrongFound) {
                err.line(text::kDigitsOnly);
                return;
            }
            const std::string_view wrong = characterAt(typed, answer.wrongAt);
            const char c = wrong.front();
            if (c == 'O' || c == 'o' || c == 'l' || c == 'I') {
                const bool zero = c == 'O' || c == 'o';
                err.line(wrong, text::kIsTheLetter,
                         zero ? text::kLetterOh : c == 'l' ? text::kLetterEll : text::kLetterEye,
                         text::kNotTheDigit, zero ? text::kDigitZero : text::kDigitOne);
                return;
            }
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
                err.line(wrong, text::kIsLetter);
                return;
            }
            err << text::kCharacterBefore;
            writeShown(err, wrong);
            err.line(text::kIsNoDigit);
            return;
        }
        case StartAnswer::Kind::OutOfRange:
            err.line(text::kOutsideRange);
            return;
        case StartAnswer::Kind::TooHigh:
            err.line(text::kTooHighFor, lines, text::kTooHighLines, kHighestId - lines + 1);
            return;
        case StartAnswer::Kind::Taken:
        case StartAnswer::Kind::Empty:
            break;
    }
    err.endLine();
}

// A typed answer as far as it is kept: its first kAnswerKept bytes from the
// first that is no blank, and what came beyond them: nothing but blanks, more
// digits right behind (a number too long for any ID), or anything else.
struct TypedAnswer {
    enum class Beyond { Nothing, Digits, Other };
    std::string kept;
    Beyond beyond = Beyond::Nothing;
    bool blankBeyond = false;

    bool cut() const { return beyond != Beyond::Nothing; }

    // The answer judged for a block of `lines` lines. What goes on beyond the
    // kept bytes makes it no number, or a number too long for any ID where
    // it is more digits right behind the kept ones.
    StartAnswer judge(std::int32_t lines) const {
        const StartAnswer judged = judgeStartAnswer(kept, lines);
        if (!cut() || judged.kind == StartAnswer::Kind::NoNumber) {
            return judged;
        }
        const bool longer = beyond == Beyond::Digits && !kept.empty() && isDigit(kept.back());
        return {longer ? StartAnswer::Kind::OutOfRange : StartAnswer::Kind::NoNumber, 0, 0, false};
    }

    void take(std::string_view bytes) {
        for (const char c : bytes) {
            if (kept.empty() && isBlank(c)) {
                continue;
            }
            if (kept.size() < kAnswerKept) {
                kept.push_back(c);
            } else if (isBlank(c)) {
                blankBeyond = true;
            } else if (isDigit(c) && !blankBeyond && beyond != Beyond::Other) {
                beyond = Beyond::Digits;
            } else {
                beyond = Beyond::Other;
            }
        }
    }
};

// The game's folder given with the block: the IDs its IDE files define, and
// the start it proposes, the lowest with room for the block.
struct FolderInUse {
    std::string_view name;  // as given
    std::string path;       // from the root, since the run moves to the block's folder
    FolderIds ids;
    std::int32_t proposal;
};

// Says which ID in use a typed start meets, and where it is defined.
void explainMeeting(LineWriter& err, std::string_view typed, std::int32_t used,
                    const FolderInUse& folder) {
    IdSet wanted;
    wanted.add(used);
    const std::vector<DefinedId> places = placesOf(folder.path, folder.ids, wanted);
    writeAnswer(err, typed, false);
    err << text::kMeetsId << used;
    if (!places.empty()) {
        err << text::kDefinedAt;
        writePlace(err, places.front().place);
    }
    err.endLine();
}

// Asks for the starting ID until an answer fits the block, and meets no ID in
// use under the folder, when one is given; there an empty answer takes the
// proposed start. At a console a wrong answer is explained and the question
// asked again; from a pipe or a file the explanation ends the run. Nothing at
// all, the end of input, leaves nothing to take.
std::optional<std::int32_t> askStart(const ConsoleStreams& console, LineWriter& out,
                                     LineWriter& err, std::int32_t lines,
                                     const FolderInUse* folder) {
    InputReader input(console.input);
    const bool atConsole = sys::isConsole(console.input);
    for (;;) {
        out.line(text::kAskStart);
        TypedAnswer typed;
        const bool given = mayRead(input) && input.peek() != InputReader::kEnd;
        if (given) {
            input.passLine([&](const char* bytes, std::size_t count) {
                typed.take(std::string_view(bytes, count));
                return true;
            });
        }
        out.line();
        if (input.failureToReport()) {
            if (input.readError() == EILSEQ) {
                err.line(text::kInputIsUtf16);
            }
            err.line(shared::kInputNotRead);
            return std::nullopt;
        }
        if (!given) {
            return std::nullopt;
        }
        const StartAnswer judged = typed.judge(lines);
        if (folder != nullptr && judged.kind == StartAnswer::Kind::Empty) {
            return folder->proposal;
        }
        const std::optional<std::int32_t> used =
            folder != nullptr && judged.kind == StartAnswer::Kind::Taken
                ? folder->ids.used.firstIn(judged.start, judged.start + lines - 1)
                : std::nullopt;
        if (judged.kind == StartAnswer::Kind::Taken && !used) {
            return judged.start;
        }
        if (used) {
            explainMeeting(err, typed.kept, *used, *folder);
        } else {
            explainAnswer(err, typed.kept, typed.cut(), judged, lines);
        }
        if (!atConsole) {
            return std::nullopt;
        }
    }
}

// What the folder's IDs mean for the block: the IDs defined twice, if any,
// and the start proposed.
void sayFolder(LineWriter& out, const FolderInUse& folder, std::int32_t lines) {
    const std::int32_t conflicts = folder.ids.twice.count();
    if (conflicts > 0) {
        out << text::kConflicts;
        writeShown(out, folder.name);
        out << text::kConflictsCount << conflicts << text::kConflictsList;
        writeShown(out, folder.name);
        out.line(text::kConflictsListEnd);
    }
    out << text::kProposal << lines << text::kFreeUnder;
    writeShown(out, folder.name);
    out.line(text::kProposalStart, folder.proposal, text::kProposalEnd);
}

}  // namespace

StartAnswer judgeStartAnswer(std::string_view typed, std::int32_t lines) {
    using Kind = StartAnswer::Kind;
    TextSource source{typed};
    std::int32_t value = 0;
    const NumberRead read = readNumber(source, value);
    if (read == NumberRead::Nothing) {
        return {Kind::Empty};
    }
    const std::size_t numberEnd = source.at;
    while (isBlank(source.peek())) {
        source.skip();
    }
    if (read == NumberRead::NotANumber || source.at != typed.size()) {
        const std::optional<std::size_t> wrong =
            firstNoDigit(typed, read == NumberRead::NotANumber ? 0 : numberEnd);
        return {Kind::NoNumber, 0, wrong.value_or(0), wrong.has_value()};
    }
    if (read == NumberRead::TooLong || !isInIdRange(value)) {
        return {Kind::OutOfRange, value};
    }
    if (static_cast<std::int64_t>(value) + lines - 1 > kHighestId) {
        return {Kind::TooHigh, value};
    }
    return {Kind::Taken, value};
}

bool isAsChecked(const CheckedBlock& block) {
    sys::FileStamp open{};
    sys::FileStamp named{};
    return sys::stampFile(block.fd, open) && open == block.checked &&
           sys::stampPath(block.nameHere.c_str(), named) && named == block.checked;
}

SortingEnd sortBlockFile(std::string_view name, std::optional<std::string_view> folderGiven,
                         const ConsoleStreams& console) {
    LineWriter out(console.output);
    LineWriter err(console.error);
    const BlockFile file{text::kProgramName, name, false};
    const std::string path(name);
    const BlockDescriptor block(sys::openInputFile(path.c_str()));
    if (block.fd() < 0) {
        reportUnreadable(err, file, errno);
        return refuseBlock(err, text::kBlockNotTaken);
    }

    // The file is read twice, to check it and then to sort it, holding no
    // more than a line at a time; only a file on disk reads the same twice,
    // and a device or FIFO could hold the check up for ever. A file changed
    // at any moment before the sort is refused; the sort takes no more lines
    // than the check counted.
    sys::FileStamp stamp{};
    if (!sys::isRegularFile(block.fd()) || !sys::stampFile(block.fd(), stamp)) {
        reportFile(err, file, shared::kReasonFollows, text::kBlockNotOnDisk);
        return refuseBlock(err, text::kBlockNotTaken);
    }
    const BlockCheck check = checkBlock(block.fd(), file, out, err, CheckFor::Renumbrix);
    switch (check.result) {
        case BlockCheck::Result::Ready:
            break;
        case BlockCheck::Result::LinesListed:
            return refuseListed(err, check.tally);
        case BlockCheck::Result::OutputFailed:
            err.line(shared::kOutputNotWritten);
            return refuseBlock(err, text::kBlockNotTaken);
        case BlockCheck::Result::NotRead:
            return refuseBlock(err, text::kBlockNotTaken);
    }
    sys::FileStamp checked{};
    if (!sys::stampFile(block.fd(), checked) || checked != stamp || !sys::rewindFile(block.fd())) {
        reportFile(err, file, shared::kReasonFollows, text::kBlockChanged);
        return refuseBlock(err, {});
    }

    // The game's folder, read before the run moves to the block's: the start
    // proposed is the lowest that meets no ID in use there.
    std::optional<FolderInUse> inUse;
    if (folderGiven) {
        inUse = FolderInUse{*folderGiven, sys::absolutePath(*folderGiven), {}, 0};
        inUse->ids = readFolderIds(inUse->path, *folderGiven, text::kProgramName, err);
        const auto lines = static_cast<std::int32_t>(check.tally.lines);
        // IDs that could not be read may be any: no start can be said to be free.
        if (!inUse->ids.allRead) {
            err << text::kProgramName << text::kFolderNotRead;
            writeShown(err, *folderGiven);
            err.line(text::kFolderNotReadEnd);
            return refuseBlock(err, text::kNoStartTaken);
        }
        const std::optional<std::int32_t> start = lowestFreeStart(inUse->ids.used, lines);
        if (!start) {
            err << text::kProgramName << text::kNoFreeRun << lines << text::kFreeUnder;
            writeShown(err, *folderGiven);
            err.endLine();
            return refuseBlock(err, text::kNoStartTaken);
        }
        inUse->proposal = *start;
    }

    // A file dropped on the program does not start it in a folder the user
    // chose: the results go beside the block.
    const std::string folder = sys::folderOf(name);
    if (!sys::changeFolder(folder.c_str())) {
        reportFile(err, file, text::kCannotEnterFolder, shared::kReasonFollows,
                   std::strerror(errno));
        return refuseBlock(err, text::kBlockNotTaken);
    }
    // A block that is one of the files the run would empty is refused before
    // the question, not after it.
    for (const char* result : {text::kSortedIdeName, text::kSortingLogName}) {
        sys::FileStamp there{};
        if (sys::stampPath(result, there) && there.device == stamp.device &&
            there.file == stamp.file) {
            reportFile(err, file, shared::kReasonFollows, text::kBlockIsResult);
            return refuseBlock(err, {});
        }
    }
    CheckedBlock ready{block.fd(), static_cast<std::int32_t>(check.tally.lines), 0, file,
                       sys::nameInFolder(name), stamp, check.content, {}};
    const std::string current = sys::currentFolder();
    out.lines(text::kBanner);
    out << text::kResultsFolder;
    writeShown(out, current.empty() ? folder : current);
    out.endLine();
    out << text::kLinesToSort;
    writeShown(out, name);
    out.line(text::kLinesToSortEnd, ready.lines);
    if (inUse) {
        sayFolder(out, *inUse, ready.lines);
        ready.freeUnder = inUse->name;
    }

    const std::optional<std::int32_t> start =
        askStart(console, out, err, ready.lines, inUse ? &*inUse : nullptr);
    if (!start) {
        return refuseBlock(err, text::kNoStartTaken);
    }
    // A change that keeps the stamp (a write through a mapping of the file)
    // shows only in the bytes: they are read once more before anything is
    // touched.
    InputReader again(block.fd(), true);
    if (isAsChecked(ready) && sys::rewindFile(block.fd())) {
        again.readToEnd();
    }
    if (again.readFailed()) {
        reportUnreadable(err, file, again.readError());
        return refuseBlock(err, text::kBlockNotTaken);
    }
    if (again.digest() != ready.content || !sys::rewindFile(block.fd())) {
        reportFile(err, file, shared::kReasonFollows, text::kBlockChangedAtQuestion);
        return refuseBlock(err, {});
    }
    ready.start = *start;
    return sortCheckedBlock(console, ready);
}

SortingEnd refuseSeveralBlocks(const ConsoleStreams& console) {
    LineWriter err(console.error);
    err.line(text::kProgramName, text::kSeveralBlocks);
    return refuseBlock(err, {});
}

SortingEnd refuseFolderUsage(const ConsoleStreams& console) {
    LineWriter err(console.error);
    err.line(text::kProgramName, text::kFolderUsage);
    return refuseBlock(err, {});
}
