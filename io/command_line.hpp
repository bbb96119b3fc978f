#pragma once

#include <optional>
#include <string_view>

// The command line both programs take: help, the version, and the refusal of
// options they do not know.

// What a program says about itself when asked on its command line.
struct ProgramInfo {
    std::string_view name;
    std::string_view help;        // lines, each ended by '\n'
    std::string_view more;        // the help's last line: where to read more
    std::string_view moreWindows; // the same for the Windows download
};

// Answers what the command line asks before any work starts, and returns the
// exit status when it did; nothing when the program is to do its work. An
// option it does not know (anything that starts with '-', or '/' on Windows,
// other than --help, -h, /? on Windows, and --version) is refused on standard
// error with status 1, before any input is read or file touched. Otherwise a
// request for help, or failing that for the version, is answered on standard
// output: status 0, or 1 when the answer could not be written. Arguments that
// are no options are left to the program.
std::optional<int> answerCommandLine(int argc, char* argv[], const ProgramInfo& program);
