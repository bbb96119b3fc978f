#pragma once

// The command line both programs take: help, the version, the refusal of
// options they do not know, and the arguments left for the program.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/system.hpp"

// What a program says about itself when asked on its command line, and how it
// reads its arguments.
struct ProgramInfo {
    std::string_view name;
    std::string_view help;        // lines, each ended by '\n'
    std::string_view more;        // the help's last line: where to read more
    std::string_view moreWindows; // the same for the Windows download
    int usageStatus;              // the exit status of a refused option
    bool readsStandardInputAsFile; // "-" names standard input, not an option
};

// What the command line asks of the program.
struct CommandLine {
    std::optional<int> answered;            // the exit status, when it was answered here
    std::vector<std::string_view> operands; // the arguments that are no options, in order
};

// Reads the command line before any work starts. An option the program does
// not know (anything that starts with '-', or '/' on Windows, other than
// --help, -h, /? on Windows, and --version) is refused on standard error with
// the program's usage status, before any input is read or file touched.
// Otherwise a request for help, or failing that for the version, is answered
// on standard output: status 0, or 1 when the answer could not be written,
// standard output missing included. "--" ends the options: every argument
// after it is an operand.
// `arguments` hold the program's name first (sys::commandLineArguments),
// and must outlive the operands.
CommandLine readCommandLine(const std::vector<std::string>& arguments, const ProgramInfo& program,
                            const sys::MissingStreams& missing);
