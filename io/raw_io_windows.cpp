#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "console_streams.hpp"
#include "raw_io.hpp"

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

// Set once the console window has been closed: from then on input has ended.
std::atomic<bool> consoleClosed{false};
HANDLE mainThread = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT) {
        return FALSE;  // Ctrl+C and Ctrl+Break end the program as usual.
    }
    // The system ends the process as soon as this returns, or a few seconds
    // later in any case. Until then the main thread, freed from its wait for
    // input, completes the files; its exit ends this thread with it.
    consoleClosed = true;
    CancelSynchronousIo(mainThread);
    Sleep(INFINITE);
    return TRUE;
}

}  // namespace

long readSome(int fd, char* buffer, std::size_t capacity) {
    if (consoleClosed) {
        return 0;
    }
    const int count = _read(fd, buffer, static_cast<unsigned>(std::min(capacity, kMaxTransfer)));
    return count < 0 && consoleClosed ? 0 : count;
}

std::size_t writeSome(int fd, const std::string_view* pieces, std::size_t count) {
    // The runtime writes one buffer per call, so the pieces of a line are
    // joined first. The buffer lives on, sized for the longest line so far.
    static std::string joined;
    std::string_view data = count == 1 ? pieces[0] : std::string_view();
    if (count != 1) {
        joined.clear();
        for (std::size_t index = 0; index < count && joined.size() < kMaxTransfer; ++index) {
            joined.append(pieces[index].substr(0, kMaxTransfer - joined.size()));
        }
        data = joined;
    }
    const int written =
        _write(fd, data.data(), static_cast<unsigned>(std::min(data.size(), kMaxTransfer)));
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}

int openInputFile(const char* name) {
    return _open(name, _O_RDONLY | _O_TEXT | _O_NOINHERIT);
}

int openTextFile(const char* name, bool& heldElsewhere) {
    // Other programs may read the file while it is open, but not write it: a
    // second run in the same folder is refused instead of overwriting this
    // one's lines. The handle is not inherited by programs started later.
    const HANDLE handle = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    heldElsewhere = handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
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

int duplicate(int fd) {
    // The new handle shares the open file, and with it the share mode.
    return _dup(fd);
}

bool cutFile(int fd, std::uint64_t bytes, std::uint64_t lineBreaks) {
    const HANDLE handle = handleOf(fd);
    LARGE_INTEGER length;
    length.QuadPart = static_cast<LONGLONG>(bytes + lineBreaks);
    return !isDiskFile(handle) ||
           (SetFilePointerEx(handle, length, nullptr, FILE_BEGIN) && SetEndOfFile(handle));
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

void outliveConsole() {
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &mainThread, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

}  // namespace rawio
