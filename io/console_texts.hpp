#pragma once

#include <string_view>

// The fixed texts that the console code shared by both programs writes.
namespace console_text {

// Shown on the error stream when console input fails for a reason other than
// its end, or holds a line too long for the memory at hand.
constexpr std::string_view kInputNotRead = "Unable to read console input";

// The refusal of an option the program does not know, in pieces around the
// program's name and the argument: `renumbrix: unknown option "-x"; see
// renumbrix --help`.
constexpr std::string_view kUnknownOption = ": unknown option \"";
constexpr std::string_view kSeeHelp = "\"; see ";
constexpr std::string_view kHelpOption = " --help";

}  // namespace console_text
