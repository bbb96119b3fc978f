#include <io.h>
#include <windows.h>

#include "console_streams.hpp"
#include "system_conventions.hpp"

namespace conventions {

namespace {

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

bool looksLikeOption(std::string_view argument) {
    return !argument.empty() && (argument.front() == '-' || argument.front() == '/');
}

bool isSystemHelpSwitch(std::string_view argument) {
    return argument == "/?";
}

bool comesWithReadMe() {
    return true;
}

bool hasPosixShell() {
    return false;
}

bool inputIsTyped() {
    DWORD mode;
    return GetConsoleMode(handleOf(kStandardInput), &mode);
}

bool endsInputWithCtrlZ() {
    return true;
}

std::string folderOf(std::string_view path) {
    // Either slash separates; "C:" alone names a drive's current folder, and
    // a separator right behind a drive or at the start names its root.
    const std::size_t last = path.find_last_of("\\/");
    if (last == std::string_view::npos) {
        return path.size() >= 2 && path[1] == ':' ? std::string(path.substr(0, 2)) : ".";
    }
    const bool root = last == 0 || (last == 2 && path[1] == ':');
    return std::string(path.substr(0, root ? last + 1 : last));
}

bool consoleClosesWithProgram() {
    // cmd, PowerShell or a batch file share the console and keep its window
    // open; a double-clicked program is the console's only process.
    DWORD mode;
    DWORD processes[2];
    return GetConsoleMode(handleOf(kStandardInput), &mode) &&
           GetConsoleProcessList(processes, 2) == 1;
}

void waitForKeyPress() {
    const HANDLE console = handleOf(kStandardInput);
    FlushConsoleInputBuffer(console);
    INPUT_RECORD event;
    DWORD count;
    while (ReadConsoleInputW(console, &event, 1, &count) && count == 1) {
        if (event.EventType == KEY_EVENT && event.Event.KeyEvent.bKeyDown) {
            return;
        }
    }
}

}  // namespace conventions
