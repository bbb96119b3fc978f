#pragma once

#include <string_view>

// Every fixed text tallyrun writes, kept exactly as users know them, and its
// exit statuses. A text of several lines ends each with its line break.
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

// Shown before a window that would close with the program waits for a key.
constexpr std::string_view kPressKey = "Press any key to close this window...";

}  // namespace tallyrun_text
