#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "raw_io.hpp"
#include "raw_io_system.hpp"

// Windows calls are not interrupted by signals, and the consoles, pipes and
// files a Windows program is given block (non-blocking pipes are a relic no
// console program meets), so nothing here retries or waits on its own.
namespace rawio {

namespace {

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

bool isDiskFile(HANDLE handle) {
    return GetFileType(handle) == FILE_TYPE_DISK;
}

}  // namespace

long readSome(int fd, char* buffer, std::size_t capacity) {
    return _read(fd, buffer, static_cast<unsigned>(clampTransfer(capacity)));
}

std::size_t writeSome(int fd, const char* data, std::size_t size) {
    const int written = _write(fd, data, static_cast<unsigned>(size));
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}

int openTextFile(const char* name) {
    // Other programs may read the file while it is open, but not write it: a
    // second run in the same folder is refused instead of overwriting this
    // one's lines. The handle is not inherited by programs started later.
    const HANDLE handle = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT);
    if (fd < 0) {
        CloseHandle(handle);
    }
    return fd;
}

bool holdExclusively(int) {
    // The share mode of the open already keeps every other writer out.
    return true;
}

bool emptyFile(int fd) {
    // The file was just opened, so its position is the start.
    const HANDLE handle = handleOf(fd);
    return !isDiskFile(handle) || SetEndOfFile(handle);
}

bool isSameFile(int first, int second) {
    // Consoles, pipes and devices are not asked for a file index at all,
    // which some of them cannot give.
    const HANDLE firstHandle = handleOf(first);
    const HANDLE secondHandle = handleOf(second);
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return isDiskFile(firstHandle) && isDiskFile(secondHandle) &&
           GetFileInformationByHandle(firstHandle, &a) &&
           GetFileInformationByHandle(secondHandle, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool closeFile(int fd) {
    return _close(fd) == 0;
}

bool isSystemHelpSwitch(std::string_view argument) {
    return argument == "/?";
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

void prepareConsole() {
    // A program started without some standard handle may find the runtime's
    // descriptor for it free, and the next file opened would take it. The
    // handles are asked for directly, which no runtime check can trip over.
    const DWORD standardHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int fd = kStandardInput; fd <= kStandardError; ++fd) {
        const HANDLE handle = GetStdHandle(standardHandles[fd]);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
            const int nul = _open("NUL", fd == kStandardInput ? _O_RDONLY : _O_WRONLY);
            if (nul > fd) {
                _dup2(nul, fd);
                _close(nul);
            }
        }
    }
}

}  // namespace rawio
