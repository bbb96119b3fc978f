#include <unistd.h>

#include "console_streams.hpp"
#include "system_conventions.hpp"

namespace conventions {

bool looksLikeOption(std::string_view argument) {
    return !argument.empty() && argument.front() == '-';
}

bool isSystemHelpSwitch(std::string_view) {
    return false;
}

bool comesWithReadMe() {
    return false;
}

bool hasPosixShell() {
    return true;
}

bool inputIsTyped() {
    return ::isatty(kStandardInput) == 1;
}

bool endsInputWithCtrlZ() {
    return false;
}

std::string folderOf(std::string_view path) {
    const std::size_t last = path.find_last_of('/');
    if (last == std::string_view::npos) {
        return ".";
    }
    // "/x" lies in the root, whose only name is its separator.
    return std::string(path.substr(0, last == 0 ? 1 : last));
}

bool consoleClosesWithProgram() {
    // A terminal window belongs to the shell that started the program.
    return false;
}

void waitForKeyPress() {}

}  // namespace conventions
