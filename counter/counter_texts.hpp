#pragma once

#include <string_view>

// Every fixed text tallyrun writes, kept exactly as users know them.
namespace text {

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
