#pragma once

#include <string_view>

// Every fixed text tallyrun writes, kept exactly as users know them. A text of
// several lines ends each with its line break.
namespace tallyrun_text {

// The answers to --version and --help.
constexpr std::string_view kProgramName = "tallyrun";
constexpr std::string_view kHelp =
    "Usage: tallyrun [FILE]...\n"
    "Counts the lines of a block of item definition lines as they are typed or\n"
    "pasted, or read from a file (tallyrun < block.txt), and shows the running\n"
    "total after each line: the count that renumbrix asks for first. A line\n"
    "renumbrix would not take is named on the error stream as it comes.\n"
    "End the input with Ctrl+Z and Enter (Windows) or Ctrl+D.\n"
    "Given files (tallyrun block.txt, or a file dropped on tallyrun.exe), it\n"
    "lists each line renumbrix would not take and why, then the count to declare.\n"
    "It writes no files. --help, -h or /? (Windows) shows this text, --version\n"
    "the version; any other option is refused.\n";
// The help's last line, for where the program is installed with its manual
// page, and for the Windows download, which has a ReadMe beside the program.
constexpr std::string_view kMoreHelp = "More: man tallyrun.";
constexpr std::string_view kMoreHelpOnWindows = "More: ReadMe.txt beside tallyrun.exe.";

// Banner and instructions, on the error stream so that the output stream
// carries nothing but totals. The rule is 115 hyphens.
constexpr std::string_view kBanner =
    "Line Counter made by Korvath | Contact: korvath@example.com\n"
    "\n"
    "\n"
    "This is a simple line counter which will help you count total lines which is required in "
    "Renumbrix.\n"
    "Paste the ID data lines without thier syntaxes;Like objs,tobj,2dfx,end etc.\n"
    "\n"
    "\n"
    "\n"
    "----------------------------------------------------------------------------------------"
    "---------------------------\n"
    "*****Note:If you dont see the total lines text after the last line,press enter again to "
    "generate*****\n"
    "\n"
    "\n"
    "\n";

// Followed directly by the running total: 44 times a hyphen and a blank,
// then the label and two blanks.
constexpr std::string_view kTotal =
    "- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - "
    "Total Lines:  ";

// Shown when a total cannot be written to the output stream.
constexpr std::string_view kOutputNotWritten = "Unable to write console output";

// Why renumbrix would not take a line: in the block check after the line,
// and while counting in a note of its own.
constexpr std::string_view kReasonEmpty = "empty: renumbrix skips it, so it must not be counted";
constexpr std::string_view kReasonNoId =
    "no ID at its start: renumbrix stops reading here and rejects every later line";
constexpr std::string_view kReasonOutOfRange = "ID outside 1 to 999998";
constexpr std::string_view kReasonTooLong =
    "number too long to read: renumbrix stops reading here and rejects every later line";
constexpr std::string_view kReasonByteOrderMark =
    "byte-order mark: save the file as UTF-8 without one, or as ANSI";

// The block check: `N: line  <- reason` for each line renumbrix would not
// take, then the count to declare.
constexpr std::string_view kReasonMark = "  <- ";
constexpr std::string_view kReady = "Ready as it stands. Count to declare: ";
constexpr std::string_view kRemoveListed = "Remove the listed lines. Count to declare then: ";
constexpr std::string_view kNothingTaken = "No line here that renumbrix would take.";
// A note for a block with Windows line ends, around its file name twice.
constexpr std::string_view kCarriageReturns =
    "Its lines end in CR LF (Windows line ends), and renumbrix on Linux keeps each CR at the "
    "end of its entry. A copy without them: sed 's/\\r$//' '";
constexpr std::string_view kConvertedCopy = "' > '";
constexpr std::string_view kConvertedName = ".lf'";
// After the program's name and the file's.
constexpr std::string_view kCannotRead = ": cannot read ";
constexpr std::string_view kFileIsUtf16 =
    " is saved as UTF-16 (\"Unicode\"), which renumbrix cannot read: save it as UTF-8 or ANSI "
    "(Notepad: Save As, Encoding)";

// While counting: a note for a line renumbrix would not take, then its reason.
constexpr std::string_view kLineNote = "Line ";

// Shown before a window that would close with the program waits for a key.
constexpr std::string_view kPressKey = "Press any key to close this window...";

}  // namespace tallyrun_text
