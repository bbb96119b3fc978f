#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "raw_io.hpp"
#include "raw_io_system.hpp"

namespace rawio {

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

// After a call failed with errno set: true when it is worth making again,
// once the descriptor is ready for `event`.
bool mayRetry(int fd, short event) {
    return errno == EINTR ||
           ((errno == EAGAIN || errno == EWOULDBLOCK) && waitUntilReady(fd, event));
}

bool isRegularFile(int fd) {
    struct stat info;
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

long readSome(int fd, char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t count = ::read(fd, buffer, clampTransfer(capacity));
        if (count >= 0) {
            return static_cast<long>(count);
        }
        if (!mayRetry(fd, POLLIN)) {
            return -1;
        }
    }
}

std::size_t writeSome(int fd, const char* data, std::size_t size) {
    for (;;) {
        const ssize_t written = ::write(fd, data, size);
        if (written >= 0) {
            return static_cast<std::size_t>(written);
        }
        if (!mayRetry(fd, POLLOUT)) {
            return 0;
        }
    }
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

bool isSameFile(int first, int second) {
    struct stat a;
    struct stat b;
    return ::fstat(first, &a) == 0 && ::fstat(second, &b) == 0 && S_ISREG(a.st_mode) &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool closeFile(int fd) {
    // After an interrupted close the descriptor is already released on Linux,
    // so it is not closed again; only a real error counts as lost data.
    return ::close(fd) == 0 || errno == EINTR;
}

bool isSystemHelpSwitch(std::string_view) {
    return false;
}

bool consoleClosesWithProgram() {
    // A terminal window belongs to the shell that started the program.
    return false;
}

void waitForKeyPress() {}

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

}  // namespace rawio
