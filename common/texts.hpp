#pragma once

// The fixed texts that the code shared by both programs writes: the console's
// own reports, the command line's refusals, and the block check.

#include <cstddef>
#include <string_view>

namespace common_text {

// Shown on the error stream when console input fails for a reason other than
// its end, or holds a line too long for the memory at hand.
constexpr std::string_view kInputNotRead = "Unable to read console input";

// Shown when the result of a check, or a total, cannot be written to the
// output stream.
constexpr std::string_view kOutputNotWritten = "Unable to write console output";

// The refusal of an option the program does not know, in pieces around the
// program's name and the argument: `renumbrix: unknown option "-x"; see
// renumbrix --help`.
constexpr std::string_view kUnknownOption = ": unknown option \"";
constexpr std::string_view kSeeHelp = "\"; see ";
constexpr std::string_view kHelpOption = " --help";

// Why renumbrix would not take a line: in the block check after the line,
// and while counting in a note of its own.
constexpr std::string_view kReasonEmpty = "empty: renumbrix skips it, so it must not be counted";
constexpr std::string_view kReasonKeyword =
    "section keyword: it opens or closes a section and defines nothing";
constexpr std::string_view kReasonNoId =
    "no ID at its start: renumbrix stops reading here and rejects every later line";
constexpr std::string_view kReasonOutOfRange = "ID outside 1 to 999998";
constexpr std::string_view kReasonTooLong =
    "number too long to read: renumbrix stops reading here and rejects every later line";
constexpr std::string_view kReasonByteOrderMark =
    "byte-order mark before the ID: delete it (it cannot be seen: press Delete once at the "
    "start of the line, or type the line anew)";
constexpr std::string_view kReasonCarriageReturn =
    "a CR inside the line: renumbrix takes CR alone for no line end, so this is all one line";
// An ID that runs into other text, around the number renumbrix would take and
// the bytes it would keep behind the new ID, at most kRestShown of them.
constexpr std::string_view kReasonIdRunsOn = "ID runs into other text: renumbrix takes ";
constexpr std::string_view kReasonKeeps = " and keeps \"";
constexpr std::string_view kReasonKeepsEnd = "\"";
constexpr std::size_t kRestShown = 40;
constexpr std::string_view kRestCut = "...";

// The block check: the file's name, then `N: line  <- reason` for each line
// renumbrix would not take, then a note on its line ends and the count.
constexpr std::string_view kNameEnd = ":";
constexpr std::string_view kNumberEnd = ": ";
constexpr std::string_view kReasonMark = "  <- ";
constexpr std::string_view kReady = "Ready as it stands. Count to declare: ";
constexpr std::string_view kRemoveListed = "Remove the listed lines. Count to declare then: ";
constexpr std::string_view kMendListed =
    "Mend or remove the listed lines, then check the block again.";
constexpr std::string_view kNothingTaken = "No line here that renumbrix would take.";
constexpr std::string_view kTooManyLines =
    "More lines than renumbrix takes in one run (999998): split the block. Lines it would "
    "take: ";
// Notes on line ends that renumbrix would read otherwise than the editor
// shows them, each with a command, quoted for a POSIX shell, that makes a
// copy with plain line feeds, where there is such a shell and the name can
// be written in a command. The shell's noclobber (set -C) makes the command
// refuse to write through a name that appears after the check.
constexpr std::string_view kCrLfNote =
    "Its lines end in CR LF (Windows line ends), and renumbrix on Linux keeps each CR at the "
    "end of its entry.";
constexpr std::string_view kCrLfCommand = " A copy without them: set -C; sed 's/\\r$//' < ";
constexpr std::string_view kCrNote =
    "Its lines end in CR alone (old Mac line ends), which renumbrix does not take for line "
    "breaks.";
constexpr std::string_view kCrCommand = " A copy with line feeds: set -C; tr '\\r' '\\n' < ";
constexpr std::string_view kIntoCopy = " > ";
constexpr std::string_view kCopySuffix = ".lf";
// Instead of the command where the copy's name is taken: in any form, since
// a link there would send the copy elsewhere, or into the block itself.
constexpr std::string_view kCopyTaken = " A copy would go to ";
constexpr std::string_view kCopyTakenEnd =
    ", which is there already: move it away, then check again for the command.";
constexpr std::string_view kQuote = "'";
constexpr std::string_view kQuotedQuote = "'\\''";
// After the program's name and the file's.
constexpr std::string_view kCannotRead = ": cannot read ";
constexpr std::string_view kReasonFollows = ": ";
constexpr std::string_view kNotOnDisk = " is no file on disk, and is not read";
// Where an ID is defined: `path:line  model`.
constexpr std::string_view kPlaceLineBefore = ":";
constexpr std::string_view kPlaceModelBefore = "  ";
constexpr std::string_view kFileIsUtf16 =
    " is saved as UTF-16 (\"Unicode\"), which renumbrix cannot read: save it as UTF-8 or ANSI "
    "(Notepad: Save As, Encoding)";

// Bytes of a file shown on the console by name, so that none of them acts on
// the terminal: the control bytes (a tab stays a tab), DEL, a UTF-8
// byte-order mark, characters that steer the terminal (<U+202E>) and stray
// bytes that would (<0x9B>), and the part of a long line that is not shown.
constexpr std::string_view kControlNames[32] = {
    "<NUL>", "<SOH>", "<STX>", "<ETX>", "<EOT>", "<ENQ>", "<ACK>", "<BEL>",
    "<BS>",  "\t",    "<LF>",  "<VT>",  "<FF>",  "<CR>",  "<SO>",  "<SI>",
    "<DLE>", "<DC1>", "<DC2>", "<DC3>", "<DC4>", "<NAK>", "<SYN>", "<ETB>",
    "<CAN>", "<EM>",  "<SUB>", "<ESC>", "<FS>",  "<GS>",  "<RS>",  "<US>"};
constexpr std::string_view kDeleteShown = "<DEL>";
constexpr std::string_view kMarkShown = "<BOM>";
constexpr std::string_view kCodePointBefore = "<U+";
constexpr std::string_view kByteBefore = "<0x";
constexpr std::string_view kNameAfter = ">";
constexpr std::string_view kCutBefore = "<and ";
constexpr std::string_view kCutAfter = " bytes more>";

}  // namespace common_text
