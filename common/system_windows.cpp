// The system interface (system.hpp) on Windows. Windows calls are not
// interrupted by signals, and the consoles, pipes and files a Windows program
// is given block (non-blocking pipes are a relic no console program meets),
// so nothing here retries or waits on its own.

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <direct.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>
#include <vector>

#include "common/system.hpp"

namespace sys {

namespace {

HANDLE handleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

bool isDiskFile(HANDLE handle) {
    return GetFileType(handle) == FILE_TYPE_DISK;
}

// Names travel inside the programs as UTF-8 and reach the system as UTF-16,
// so that a name in any script Windows can hold works, whatever the user's
// code page.
std::wstring wide(const char* utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring text(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), length);
    text.resize(text.size() - 1);
    return text;
}

std::string utf8(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(length > 0 ? static_cast<std::size_t>(length) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), length, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

// Text for a console, as the characters it stands for: UTF-8 where the bytes
// are UTF-8, and otherwise what the system's code page makes of them, as
// Notepad reads an "ANSI" file. A line break is a CR LF, as text mode
// writes it, and no control character but those of a line reaches the
// console: a byte the code page leaves undefined is shown as a mark.
std::wstring consoleText(const char* bytes, std::size_t size) {
    const int length = static_cast<int>(size);
    UINT codePage = CP_UTF8;
    int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (count == 0 && size > 0) {
        codePage = CP_ACP;
        count = MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0);
    }
    std::wstring characters(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, length, characters.data(), count);
    std::wstring text;
    text.reserve(characters.size() + 2);
    for (const wchar_t c : characters) {
        if (c == L'\n') {
            text += L"\r\n";
        } else if ((c < 0x20 && c != L'\t' && c != L'\r') || (c >= 0x7F && c <= 0x9F)) {
            text += L'\uFFFD';
        } else {
            text += c;
        }
    }
    return text;
}

bool isConsoleHandle(HANDLE handle) {
    DWORD mode;
    return GetConsoleMode(handle, &mode);
}

// Set once the console window has been closed: from then on input has ended.
std::atomic<bool> consoleClosed{false};
HANDLE mainThread = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT) {
        return FALSE;  // Ctrl+C and Ctrl+Break are onInterrupt's.
    }
    // The system ends the process as soon as this returns, or a few seconds
    // later in any case. Until then the main thread, freed from its wait for
    // input, completes the files; its exit ends this thread with it.
    consoleClosed = true;
    CancelSynchronousIo(mainThread);
    Sleep(INFINITE);
    return TRUE;
}

// Where the main thread stands in writing a line to a file on disk, as seen
// by the console's Ctrl+C and Ctrl+Break, which arrive on a thread of their
// own.
enum LineState : int {
    kIdle,     // no line being written: Ctrl+C ends the program at once
    kWriting,  // a line being written
    kHeld,     // a line being written, with Ctrl+C waiting for its end
    kEnding,   // Ctrl+C is ending the program
};
std::atomic<int> lineState{kIdle};

BOOL WINAPI onInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    for (;;) {
        int state = lineState.load();
        if (state == kIdle || state == kEnding) {
            if (lineState.compare_exchange_strong(state, kEnding)) {
                return FALSE;  // the system's own handler ends the program
            }
        } else if (state == kHeld || lineState.compare_exchange_strong(state, kHeld)) {
            // The main thread ends the program once its line is whole.
            Sleep(INFINITE);
        }
    }
}

}  // namespace

bool isRegularFile(int fd) {
    return isDiskFile(handleOf(fd));
}

void holdSignals() {
    int idle = kIdle;
    if (!lineState.compare_exchange_strong(idle, kWriting)) {
        Sleep(INFINITE);  // Ctrl+C is already ending the program
    }
}

void releaseSignals() {
    if (lineState.exchange(kIdle) == kHeld) {
        ExitProcess(STATUS_CONTROL_C_EXIT);  // as the system's own handler ends it
    }
}

long readSome(int fd, char* buffer, std::size_t capacity) {
    if (consoleClosed) {
        return 0;
    }
    const int count = _read(fd, buffer, static_cast<unsigned>(std::min(capacity, kMaxTransfer)));
    return count < 0 && consoleClosed ? 0 : count;
}

Transfer writeSome(int fd, const char* bytes, std::size_t size, bool toConsole) {
    const std::size_t offered = std::min(size, kMaxTransfer);
    const HANDLE handle = handleOf(fd);
    if (offered > 0 && toConsole) {
        // A console shows characters, not bytes: written as such, a line of
        // UTF-8 reads as written whatever the console's code page.
        const std::wstring text = consoleText(bytes, offered);
        std::size_t done = 0;
        DWORD count = 0;
        while (done < text.size() &&
               WriteConsoleW(handle, text.data() + done,
                             static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 15)),
                             &count, nullptr) &&
               count > 0) {
            done += count;
        }
        return {offered, done == text.size() ? offered : 0};
    }
    const int written = _write(fd, bytes, static_cast<unsigned>(offered));
    return {offered, written > 0 ? static_cast<std::size_t>(written) : 0};
}

int openInputFile(const char* name) {
    const std::wstring path = wide(name);
    const int fd = _wopen(path.c_str(), _O_RDONLY | _O_TEXT | _O_NOINHERIT);
    // Windows refuses to open a folder as a file at all, and says only that
    // access was denied.
    if (fd < 0 && errno == EACCES) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            errno = EISDIR;
        }
    }
    return fd;
}

bool rewindFile(int fd) {
    return _lseeki64(fd, 0, SEEK_SET) == 0;
}

namespace {

// The file's identity (volume and index), size, and the times its content and
// its entry last changed, in 100 ns units.
bool stampHandle(HANDLE handle, FileStamp& stamp) {
    BY_HANDLE_FILE_INFORMATION identity;
    FILE_BASIC_INFO times;
    LARGE_INTEGER size;
    if (!GetFileInformationByHandle(handle, &identity) ||
        !GetFileInformationByHandleEx(handle, FileBasicInfo, &times, sizeof times) ||
        !GetFileSizeEx(handle, &size)) {
        return false;
    }
    stamp = {};
    stamp.device = identity.dwVolumeSerialNumber;
    stamp.file = static_cast<std::uint64_t>(identity.nFileIndexHigh) << 32 | identity.nFileIndexLow;
    stamp.size = static_cast<std::uint64_t>(size.QuadPart);
    stamp.modified = times.LastWriteTime.QuadPart;
    stamp.changed = times.ChangeTime.QuadPart;
    return true;
}

}  // namespace

bool stampFile(int fd, FileStamp& stamp) {
    return stampHandle(handleOf(fd), stamp);
}

bool stampPath(const char* name, FileStamp& stamp) {
    const HANDLE handle =
        CreateFileW(wide(name).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool stamped = stampHandle(handle, stamp);
    CloseHandle(handle);
    return stamped;
}

int openTextFile(const char* name, NotOwnFile& why) {
    // Other programs may read the file while it is open, but not write it: a
    // second run in the same folder is refused instead of overwriting this
    // one's lines. A link (any reparse point) is opened as itself, never as
    // what it leads to, and then refused. The handle is not inherited by
    // programs started later.
    const HANDLE handle =
        CreateFileW(wide(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        why = GetLastError() == ERROR_SHARING_VIOLATION ? NotOwnFile::HeldElsewhere
                                                        : NotOwnFile::Refused;
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info;
    why = !isDiskFile(handle)                          ? NotOwnFile::Device
          : !GetFileInformationByHandle(handle, &info) ? NotOwnFile::Refused
          : (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks > 1
              ? NotOwnFile::Link
              : NotOwnFile::None;
    const int fd = why == NotOwnFile::None
                       ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT)
                       : -1;
    if (fd < 0) {
        why = why == NotOwnFile::None ? NotOwnFile::Refused : why;
        CloseHandle(handle);
    }
    return fd;
}

NotOwnFile lookAtEntry(const char* name) {
    // Opened as itself, for its attributes only: nothing is created or
    // changed, and a device is not opened for reading or writing.
    const HANDLE handle =
        CreateFileW(wide(name).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return NotOwnFile::None;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info);
    const bool disk = isDiskFile(handle);
    CloseHandle(handle);
    if (!disk) {
        return NotOwnFile::Device;
    }
    const bool link = known && ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
                                info.nNumberOfLinks > 1);
    return link ? NotOwnFile::Link : NotOwnFile::None;
}

bool nameExists(const char* name) {
    return GetFileAttributesW(wide(name).c_str()) != INVALID_FILE_ATTRIBUTES;
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

bool changeFolder(const char* path) {
    return _wchdir(wide(path).c_str()) == 0;
}

std::string currentFolder() {
    // Asked for its length first: the runtime's own call stops at MAX_PATH,
    // which a folder the program entered may well pass.
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring path(length, L'\0');
    if (length == 0 || GetCurrentDirectoryW(length, path.data()) == 0) {
        return {};
    }
    return utf8(path.c_str());
}

MissingStreams prepareConsole() {
    bool missing[3] = {};
    // A program started without some standard handle may find the runtime's
    // descriptor for it free, and the next file opened would take it. The
    // handles are asked for directly, which no runtime check can trip over.
    const DWORD standardHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int fd = 0; fd <= 2; ++fd) {
        const HANDLE handle = GetStdHandle(standardHandles[fd]);
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
            missing[fd] = true;
            const int nul = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
            if (nul > fd) {
                _dup2(nul, fd);
                _close(nul);
            }
        }
    }
    SetConsoleCtrlHandler(onInterrupt, TRUE);
    return {missing[0], missing[1], missing[2]};
}

void outliveConsole() {
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &mainThread, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

// --- Conventions of Windows.

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

bool isConsole(int fd) {
    return isConsoleHandle(handleOf(fd));
}

std::vector<std::string> commandLineArguments(int argc, char* argv[]) {
    // The narrow arguments hold only what the code page can: every other
    // character is already lost. The wide command line holds them all.
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    if (arguments == nullptr) {
        return {argv, argv + argc};
    }
    for (int index = 0; index < count; ++index) {
        result.push_back(utf8(arguments[index]));
    }
    LocalFree(arguments);
    return result;
}

bool showsStrayBytesAsCodePage() {
    return true;
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

std::string nameInFolder(std::string_view path) {
    const std::size_t last = path.find_last_of("\\/");
    if (last != std::string_view::npos) {
        return std::string(path.substr(last + 1));
    }
    return std::string(path.size() >= 2 && path[1] == ':' ? path.substr(2) : path);
}

std::string absolutePath(std::string_view path) {
    const std::wstring relative = wide(std::string(path).c_str());
    const DWORD length = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    if (length == 0 || GetFullPathNameW(relative.c_str(), length, full.data(), nullptr) == 0) {
        return std::string(path);
    }
    return utf8(full.c_str());
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/' && path.back() != ':') {
        path += '\\';
    }
    return path.append(name);
}

bool isFolder(const char* path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool listFolder(const char* path, std::vector<FolderEntry>& entries) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(wide(joinPath(path, "*").c_str()).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
        return false;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        // A folder that is a link (a junction, a symbolic link) is not
        // followed.
        const bool folder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        const bool link = found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        const FolderEntry::Kind kind = !folder ? FolderEntry::Kind::File
                                       : link  ? FolderEntry::Kind::Other
                                               : FolderEntry::Kind::Folder;
        entries.push_back({utf8(found.cFileName), kind});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

bool consoleClosesWithProgram() {
    // cmd, PowerShell or a batch file share the console and keep its window
    // open; a double-clicked program is the console's only process.
    DWORD mode;
    DWORD processes[2];
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) &&
           GetConsoleProcessList(processes, 2) == 1;
}

void waitForKeyPress() {
    const HANDLE console = GetStdHandle(STD_INPUT_HANDLE);
    FlushConsoleInputBuffer(console);
    INPUT_RECORD event;
    DWORD count;
    while (ReadConsoleInputW(console, &event, 1, &count) && count == 1) {
        if (event.EventType == KEY_EVENT && event.Event.KeyEvent.bKeyDown) {
            return;
        }
    }
}

}  // namespace sys
