#pragma once

// Every fixed text tallyrun writes, kept exactly as users know them, and its
// exit statuses. A text of several lines ends each with its line break.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tallyrun_text {

// The exit statuses of a check: a block ready as it stands, lines listed,
// and trouble: a file that cannot be read, output that cannot be written, or
// a command line that cannot be followed.
constexpr int kExitReady = 0;
constexpr int kExitListed = 1;
constexpr int kExitTrouble = 2;
constexpr int kExitUsage = kExitTrouble;
// Those of a count: it reached the end of its input, or input could not be
// read or a total not written.
constexpr int kExitCounted = 0;
constexpr int kExitNotCounted = 1;

// The answers to --version and --help.
constexpr std::string_view kProgramName = "tallyrun";
constexpr std::string_view kHelp =
    "Usage: tallyrun [FILE]...\n"
    "       tallyrun FOLDER [FILE]\n"
    "Counts the lines of a block of item definition lines as they are typed or\n"
    "pasted, or read from a file (tallyrun < block.txt), and shows the running\n"
    "total after each line: the count that renumbrix asks for first. A line\n"
    "renumbrix would not take is named on the error stream as it comes, and the\n"
    "count to declare follows at the end of the input. End the input with\n"
    "Ctrl+Z and Enter (Windows) or Ctrl+D.\n"
    "Given files (tallyrun block.txt, or a file dropped on tallyrun.exe), it\n"
    "lists each line renumbrix would not take as it stands (a keyword, a comment,\n"
    "an ID that runs into other text) and why, then the count to declare; give\n"
    "renumbrix the block file once it is ready (renumbrix block.txt).\n"
    "Given a folder (the game's or a mod's), it reads every IDE file under it and\n"
    "lists each ID defined more than once, with its places, and the free ranges;\n"
    "given a block file as well, the lowest free start for its lines.\n"
    "A FILE of - is standard input, and -- ends the options. It writes no files.\n"
    "--help, -h or /? (Windows) shows this text, --version the version; any\n"
    "other option is refused.\n";
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

// Shown after the banner when the lines are typed or pasted, on its system.
constexpr std::string_view kFinishWithCtrlD =
    "When the last line is in, press Ctrl+D to see the count to declare.";
constexpr std::string_view kFinishWithCtrlZ =
    "When the last line is in, press Ctrl+Z, then Enter, to see the count to declare.";

// Followed directly by the running total: 44 times a hyphen and a blank,
// then the label and two blanks.
constexpr std::string_view kTotal =
    "- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - "
    "Total Lines:  ";

// While counting: a note for a line renumbrix would not take, then its reason.
constexpr std::string_view kLineNote = "Line ";

// The report on the IDE files under a folder: how many were read and what
// they define, every ID defined more than once and every ID outside the
// range, each with the places that define it (`path:line  model`), and the
// runs of free IDs (`FIRST-LAST (COUNT free)`).
constexpr std::string_view kFilesRead = "IDE files read: ";  // count, then:
constexpr std::string_view kIdsDefined = "; IDs they define: ";  // count, then:
constexpr std::string_view kIdsFrom = ", from ";
constexpr std::string_view kIdsTo = " to ";
constexpr std::string_view kSentenceEnd = ".";
constexpr std::string_view kNoIdDefined = "none.";
constexpr std::string_view kDefinedTwice = "Defined more than once:";
constexpr std::string_view kOutsideRange = "Outside 1 to 999998:";
constexpr std::string_view kPlaceIndent = "  ";
constexpr std::string_view kFreeRanges = "Free ranges of at least ";  // the size, then:
constexpr std::string_view kFreeRangesEnd = " IDs:";
constexpr std::string_view kRangeDash = "-";
constexpr std::string_view kRangeFree = " (";
constexpr std::string_view kRangeFreeEnd = " free)";
constexpr std::string_view kMoreRanges = "Free ranges not shown: ";  // the count
constexpr std::string_view kNoFreeRun = "No run of ";  // the size, then:
constexpr std::string_view kNoFreeRunEnd = " free IDs under this folder.";
// A block checked with the folder: the start renumbrix will propose for it.
constexpr std::string_view kLowestStart = "Lowest free start for these ";  // lines, then:
constexpr std::string_view kLowestStartLines = " lines: ";
// The ranges shown in full, and the smallest range shown without a block.
constexpr std::size_t kRangesShown = 30;
constexpr std::int32_t kSmallestRange = 100;
// A command line with a folder that is not one folder and at most one block.
constexpr std::string_view kFolderUsage =
    ": give it block files, or one folder of IDE files, with one block file at most";

// Shown before a window that would close with the program waits for a key.
constexpr std::string_view kPressKey = "Press any key to close this window...";

}  // namespace tallyrun_text
