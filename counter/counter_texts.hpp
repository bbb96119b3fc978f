#pragma once

#include <string_view>

// Every fixed text tallyrun writes, kept exactly as users know them.
namespace text {

// The answers to --version and --help.
constexpr std::string_view kProgramName = "tallyrun";
constexpr std::string_view kHelp =
    "Usage: tallyrun\n"
    "Counts the lines of a block of item definition lines as they are typed or\n"
    "pasted, or read from a file (tallyrun < block.txt), and shows the running\n"
    "total after each line: the count that renumbrix asks for first.\n"
    "End the input with Ctrl+Z and Enter (Windows) or Ctrl+D.\n"
    "It writes no files and takes no other arguments: --help, -h or /? (Windows)\n"
    "shows this text, --version the version.\n"
    "More: ReadMe.txt beside tallyrun.exe, or man tallyrun.\n";

// Banner and instructions, on the error stream so that the output stream
// carries nothing but totals.
constexpr std::string_view kBanner1 = "Line Counter made by Korvath | Contact: korvath@example.com";
constexpr std::string_view kBanner2 =
    "This is a simple line counter which will help you count total lines which is required in "
    "Renumbrix.";
constexpr std::string_view kBanner3 =
    "Paste the ID data lines without thier syntaxes;Like objs,tobj,2dfx,end etc.";
// 115 hyphens.
constexpr std::string_view kRule =
    "----------------------------------------------------------------------------------------"
    "---------------------------";
constexpr std::string_view kNote =
    "*****Note:If you dont see the total lines text after the last line,press enter again to "
    "generate*****";

// Followed directly by the running total: 44 times a hyphen and a blank,
// then the label and two blanks.
constexpr std::string_view kTotal =
    "- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - "
    "Total Lines:  ";

// Shown when a total cannot be written to the output stream.
constexpr std::string_view kOutputNotWritten = "Unable to write console output";

}  // namespace text
