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

bool consoleClosesWithProgram() {
    // A terminal window belongs to the shell that started the program.
    return false;
}

void waitForKeyPress() {}

}  // namespace conventions
