// The system interface (system.hpp) on POSIX systems: descriptor calls that
// wait and retry as a blocking call would, the hold of signals around a line,
// locks, links and folders, and the conventions of a Unix console.

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "common/system.hpp"

namespace sys {

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

bool isCharacterDevice(int fd) {
    struct stat info;
    return ::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode);
}

// The signals that end the program by default and can be caught, besides
// the real-time ones: all of them are held back while a line is written.
// Those that report a fault of the program itself (SIGSEGV, SIGABRT and the
// like) end it at once, and SIGPIPE and SIGXFSZ are ignored, so that a write
// fails instead.
constexpr int kEndingSignals[] = {
    SIGHUP,  SIGINT,  SIGQUIT,   SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
    SIGPROF, SIGPOLL, SIGXCPU,
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};

// A signal that would end the program, held back while a line is being
// written to a file; 0 when there is none.
volatile std::sig_atomic_t writingLine = 0;
volatile std::sig_atomic_t heldSignal = 0;

// Ends the program by the signal's own default action, as if no handler had
// been there: the exit status is the one the signal always gave.
void endBySignal(int signal) {
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    ::sigaction(signal, &defaultAction, nullptr);
    ::raise(signal);
}

void onEndingSignal(int signal) {
    if (writingLine != 0) {
        heldSignal = signal;
        return;
    }
    // Still blocked inside this handler, the raised signal takes effect the
    // moment the handler returns.
    endBySignal(signal);
}

// Installs the hold for a signal that ends the program, unless whoever
// started it chose to ignore that signal (a background job, nohup).
void holdBackWhileWriting(int signal) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
        return;
    }
    struct sigaction hold {};
    hold.sa_handler = onEndingSignal;
    hold.sa_flags = SA_RESTART;
    ::sigemptyset(&hold.sa_mask);
    ::sigaction(signal, &hold, nullptr);
}

}  // namespace

bool isRegularFile(int fd) {
    struct stat info;
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

void holdSignals() {
    writingLine = 1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

void releaseSignals() {
    std::atomic_signal_fence(std::memory_order_seq_cst);
    writingLine = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (heldSignal != 0) {
        endBySignal(heldSignal);
    }
}

long readSome(int fd, char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t count = ::read(fd, buffer, std::min(capacity, kMaxTransfer));
        if (count >= 0) {
            return static_cast<long>(count);
        }
        // A terminal whose other end has gone answers every read with EIO,
        // and no longer even says that it is a terminal.
        if (errno == EIO && isCharacterDevice(fd)) {
            return 0;
        }
        if (!mayRetry(fd, POLLIN)) {
            return -1;
        }
    }
}

Transfer writeSome(int fd, const char* bytes, std::size_t size, bool /*toConsole*/) {
    const std::size_t offered = std::min(size, kMaxTransfer);
    if (offered == 0) {
        return {0, 0};
    }
    for (;;) {
        const ssize_t written = ::write(fd, bytes, offered);
        if (written > 0) {
            return {offered, static_cast<std::size_t>(written)};
        }
        if (written == 0 || !mayRetry(fd, POLLOUT)) {
            return {offered, 0};
        }
    }
}

int openInputFile(const char* name) {
    int fd;
    do {
        fd = ::open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return -1;
    }
    // Non-blocking only for the open itself; reads wait as usual. A folder
    // opens here, but is no file to read, as on every system.
    struct stat info;
    const int flags = ::fcntl(fd, F_GETFL);
    const bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    if (folder || flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        const int error = folder ? EISDIR : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool rewindFile(int fd) {
    return ::lseek(fd, 0, SEEK_SET) == 0;
}

namespace {

FileStamp stampOf(const struct stat& info) {
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.file = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedFraction = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    stamp.changed = static_cast<std::int64_t>(info.st_ctim.tv_sec);
    stamp.changedFraction = static_cast<std::int64_t>(info.st_ctim.tv_nsec);
    return stamp;
}

}  // namespace

bool stampFile(int fd, FileStamp& stamp) {
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        return false;
    }
    stamp = stampOf(info);
    return true;
}

bool stampPath(const char* name, FileStamp& stamp) {
    struct stat info;
    if (::stat(name, &info) != 0) {
        return false;
    }
    stamp = stampOf(info);
    return true;
}

namespace {

// Why an entry of this kind is no file of the program's own to write. A
// regular file with another name besides this one (a hard link, which a
// downloaded archive can make) is written through under either name.
NotOwnFile notOwn(const struct stat& entry) {
    const mode_t mode = entry.st_mode;
    if (S_ISLNK(mode) || (S_ISREG(mode) && entry.st_nlink > 1)) {
        return NotOwnFile::Link;
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return NotOwnFile::Device;
    }
    return S_ISSOCK(mode) ? NotOwnFile::Socket : NotOwnFile::None;
}

}  // namespace

int openTextFile(const char* name, NotOwnFile& why) {
    // The entry is looked at before it is opened, so that a device is never
    // opened at all; the open itself follows no link, and what it opened is
    // looked at again, in case the entry changed in between.
    why = lookAtEntry(name);
    if (why != NotOwnFile::None) {
        return -1;
    }
    int fd;
    do {
        fd = ::open(name, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // A FIFO without a reader: whoever opens it for reading later would
        // meet this run's lines, so it counts as taken.
        why = errno == ENXIO ? NotOwnFile::HeldElsewhere
              : errno == ELOOP ? NotOwnFile::Link
                               : NotOwnFile::Refused;
        return -1;
    }
    struct stat opened;
    why = ::fstat(fd, &opened) != 0 ? NotOwnFile::Refused : notOwn(opened);
    // Non-blocking only for the open itself; writes wait as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (why != NotOwnFile::None || flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        why = why == NotOwnFile::None ? NotOwnFile::Refused : why;
        ::close(fd);
        return -1;
    }
    return fd;
}

NotOwnFile lookAtEntry(const char* name) {
    struct stat entry;
    return ::lstat(name, &entry) == 0 ? notOwn(entry) : NotOwnFile::None;
}

bool nameExists(const char* name) {
    struct stat entry;
    return ::lstat(name, &entry) == 0;
}

bool holdExclusively(int fd) {
    // Devices and FIFOs serve any number of writers and are never held.
    if (!isRegularFile(fd)) {
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        return false;
    }
    // Programs that lock with fcntl or lockf never see a flock, so the file
    // gets a record lock over all of it as well. It belongs to this open
    // file, like the flock: a plain fcntl lock would go with the first close
    // of any descriptor for the file, a refused Sorted.log that is Sorted.ide
    // under another name among them.
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
#ifdef F_OFD_SETLK
    int result = ::fcntl(fd, F_OFD_SETLK, &whole);
    if (result != 0 && errno == EINVAL) {
        result = ::fcntl(fd, F_SETLK, &whole);
    }
#else
    const int result = ::fcntl(fd, F_SETLK, &whole);
#endif
    return result == 0 || (errno != EACCES && errno != EAGAIN);
}

int duplicate(int fd) {
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

bool cutFile(int fd, std::uint64_t bytes, std::uint64_t) {
    if (!isRegularFile(fd)) {
        return true;
    }
    int result;
    do {
        result = ::ftruncate(fd, static_cast<off_t>(bytes));
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

bool changeFolder(const char* path) {
    return ::chdir(path) == 0;
}

std::string currentFolder() {
    std::string path(256, '\0');
    while (::getcwd(path.data(), path.size()) == nullptr) {
        if (errno != ERANGE) {
            return {};
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find('\0'));
    return path;
}

MissingStreams prepareConsole() {
    bool missing[3] = {};
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            missing[fd] = true;
            // open() returns the lowest free number, which is this one.
            (void)::open("/dev/null", O_RDWR);
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    for (const int signal : kEndingSignals) {
        holdBackWhileWriting(signal);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        holdBackWhileWriting(signal);
    }
    return {missing[STDIN_FILENO], missing[STDOUT_FILENO], missing[STDERR_FILENO]};
}

void outliveConsole() {
    // Reads from the hung-up terminal then end, and writes to it fail.
    std::signal(SIGHUP, SIG_IGN);
}

// --- Conventions of a POSIX system.

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

bool isConsole(int fd) {
    return ::isatty(fd) == 1;
}

std::vector<std::string> commandLineArguments(int argc, char* argv[]) {
    return {argv, argv + argc};
}

bool showsStrayBytesAsCodePage() {
    return false;
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

std::string nameInFolder(std::string_view path) {
    return std::string(path.substr(path.find_last_of('/') + 1));
}

std::string absolutePath(std::string_view path) {
    const std::string current = path.substr(0, 1) == "/" ? std::string() : currentFolder();
    return current.empty() ? std::string(path) : joinPath(current, path);
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return path.append(name);
}

bool isFolder(const char* path) {
    struct stat info;
    return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool listFolder(const char* path, std::vector<FolderEntry>& entries) {
    DIR* folder = ::opendir(path);
    if (folder == nullptr) {
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat info;
        FolderEntry::Kind kind = FolderEntry::Kind::Other;
        if (::fstatat(::dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(info.st_mode)) {
                kind = FolderEntry::Kind::Folder;
            } else if (S_ISLNK(info.st_mode)) {
                // A link to a file is read as the file; a link to a folder is not
                // followed. A link that leads nowhere is left to the open to
                // tell why.
                if (::fstatat(::dirfd(folder), entry->d_name, &info, 0) != 0) {
                    kind = FolderEntry::Kind::File;
                } else if (S_ISDIR(info.st_mode)) {
                    kind = FolderEntry::Kind::Other;
                } else {
                    kind = S_ISREG(info.st_mode) ? FolderEntry::Kind::File
                                                 : FolderEntry::Kind::NotOnDisk;
                }
            } else {
                kind = S_ISREG(info.st_mode) ? FolderEntry::Kind::File
                                             : FolderEntry::Kind::NotOnDisk;
            }
        }
        entries.push_back({std::string(name), kind});
        errno = 0;
    }
    const int error = errno;
    ::closedir(folder);
    errno = error;
    return error == 0;
}

bool consoleClosesWithProgram() {
    // A terminal window belongs to the shell that started the program.
    return false;
}

void waitForKeyPress() {}

}  // namespace sys
