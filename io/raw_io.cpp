#include "raw_io.hpp"

#include <cerrno>
#include <climits>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rawio {

namespace {

// One system call moves at most this much, which keeps the count inside the
// types both C runtimes take and return.
constexpr std::size_t kMaxTransfer = 1u << 30;

std::size_t clampTransfer(std::size_t size) {
    return size < kMaxTransfer ? size : kMaxTransfer;
}

}  // namespace

#ifdef _WIN32

long readSome(int fd, char* buffer, std::size_t capacity) {
    return _read(fd, buffer, static_cast<unsigned>(clampTransfer(capacity)));
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const int written = _write(fd, data, static_cast<unsigned>(clampTransfer(size)));
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
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
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return GetFileType(handle) != FILE_TYPE_DISK || SetEndOfFile(handle);
}

bool closeFile(int fd) {
    return _close(fd) == 0;
}

bool isSameFile(int first, int second) {
    // As on POSIX, only files on disk can match; consoles, pipes and devices
    // are not asked for a file index at all, which some of them cannot give.
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    const auto diskFile = [](int fd) {
        const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
        return GetFileType(handle) == FILE_TYPE_DISK ? handle : INVALID_HANDLE_VALUE;
    };
    const HANDLE firstHandle = diskFile(first);
    const HANDLE secondHandle = diskFile(second);
    return firstHandle != INVALID_HANDLE_VALUE && secondHandle != INVALID_HANDLE_VALUE &&
           GetFileInformationByHandle(firstHandle, &a) &&
           GetFileInformationByHandle(secondHandle, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
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

#else

namespace {

// A descriptor left in non-blocking mode by whoever started us reports "not
// ready" instead of waiting; this waits as a blocking read or write would.
bool waitUntilReady(int fd, short event) {
    pollfd request{fd, event, 0};
    for (;;) {
        if (::poll(&request, 1, -1) >= 0) {
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

long readSome(int fd, char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t count = ::read(fd, buffer, clampTransfer(capacity));
        if (count >= 0) {
            return static_cast<long>(count);
        }
        if (errno == EINTR) {
            continue;
        }
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || !waitUntilReady(fd, POLLIN)) {
            return -1;
        }
    }
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, clampTransfer(size));
        if (written > 0) {
            data += written;
            size -= static_cast<std::size_t>(written);
        } else if (written == 0 ||
                   (errno != EINTR &&
                    ((errno != EAGAIN && errno != EWOULDBLOCK) || !waitUntilReady(fd, POLLOUT)))) {
            return false;
        }
    }
    return true;
}

int openTextFile(const char* name) {
    int fd;
    do {
        fd = ::open(name, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return -1;
    }
    // Non-blocking only for the open itself; writes wait as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        ::close(fd);
        return -1;
    }
    return fd;
}

namespace {

bool isRegularFile(int fd) {
    struct stat info;
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool holdExclusively(int fd) {
    // Devices and FIFOs serve any number of writers and are never held.
    if (!isRegularFile(fd) || ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        return true;
    }
    return errno != EWOULDBLOCK;
}

bool emptyFile(int fd) {
    if (!isRegularFile(fd)) {
        return true;
    }
    int result;
    do {
        result = ::ftruncate(fd, 0);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool closeFile(int fd) {
    // After an interrupted close the descriptor is already released on Linux,
    // so it is not closed again; only a real error counts as lost data.
    return ::close(fd) == 0 || errno == EINTR;
}

bool isSameFile(int first, int second) {
    struct stat a;
    struct stat b;
    // Only regular files keep what two writers put in them; a device such as
    // the null device may serve any number of writers.
    return ::fstat(first, &a) == 0 && ::fstat(second, &b) == 0 && S_ISREG(a.st_mode) &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void prepareConsole() {
    for (int fd = kStandardInput; fd <= kStandardError; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // open() returns the lowest free number, which is this one.
            (void)::open("/dev/null", O_RDWR);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

#endif

}  // namespace rawio
