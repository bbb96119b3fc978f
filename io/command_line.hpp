#pragma once

#include <string_view>

// What a program says about itself when asked on its command line.
struct ProgramInfo {
    std::string_view name;
    std::string_view help;  // lines, each ended by '\n'
};

// Answers a request for help (--help, -h, and /? on Windows) or for the
// version (--version) given as the only argument, on standard output. True
// when it answered: the program then ends with status 0, having read no input
// and touched no file. Any other command line is ignored, so a file dropped
// on the program still starts its dialogue.
bool answerCommandLine(int argc, char* argv[], const ProgramInfo& program);
