/*
 * Loaded into a program under test with LD_PRELOAD, this stages the moments
 * a case needs from outside the program, by standing in for write and writev:
 *
 * STAGE_PAUSE_AT=text, STAGE_MARK=path
 *     The write to standard output that starts with `text` waits: the file
 *     `path` is created, and the write goes ahead once it has been removed.
 * STAGE_FAIL=name:first:count[,name:first:count...]
 *     Writes to the file `name` of the working folder, counted from 1: write
 *     number `first` takes half of its bytes, as on a disk that has just
 *     filled, the `count` - 1 after it fail with ENOSPC, and later ones go
 *     through again, as once space has been freed. A `first` of 0 fails
 *     every write of the first `count` - 1: a full disk. Up to four files.
 * STAGE_PAUSE_IN=name:number, STAGE_MARK=path
 *     Write number `number` to the file `name` (counted as above) writes half
 *     of its bytes, then waits inside the call as STAGE_PAUSE_AT does, then
 *     writes the rest: a moment in the middle of writing a line.
 * STAGE_READ_FAIL=name:number
 *     Read number `number` from the file `name` of the working folder fails
 *     with EIO, as a disk that cannot give a block back.
 * STAGE_CUT_FAIL=name
 *     Every ftruncate of the file `name` of the working folder fails with
 *     EPERM, as for a file that may only grow.
 * STAGE_READ_PAUSE=name:number, STAGE_MARK=path
 *     Read number `number` from the file `name` waits before it reads, as
 *     STAGE_PAUSE_AT does: a moment to change the file while it is read.
 * STAGE_NO_TIMES=1
 *     Every stat call reports the times of a file as 0, as a file system
 *     that keeps none would: only a file's size and identity tell a change.
 * STAGE_SLOW=name:microseconds
 *     Every write to the file `name` of the working folder first waits that
 *     long, as on a slow disk: a run that takes its time.
 * STAGE_OPEN_LINK=name:target
 *     The first open of `name` for writing finds it replaced, a moment
 *     before, by a symbolic link to `target`: a link slipped in between a
 *     look at the name and its open.
 * STAGE_NO_LOCKS=1
 *     Every flock and record lock fails with ENOLCK, as on a file system that
 *     cannot lock files at all.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <sys/file.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

static long writesToPausedFile;
static long readsFromFile;
static long readsBeforePause;

static int startsWith(const void *data, size_t size, const char *text) {
    size_t length = strlen(text);
    return size >= length && memcmp(data, text, length) == 0;
}

static void waitForMark(const char *mark) {
    close(open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    struct timespec tick = {0, 10 * 1000 * 1000};
    while (access(mark, F_OK) == 0) {
        nanosleep(&tick, NULL);
    }
}

static void pauseAt(int fd, const void *data, size_t size) {
    const char *text = getenv("STAGE_PAUSE_AT");
    const char *mark = getenv("STAGE_MARK");
    if (fd != 1 || text == NULL || mark == NULL || !startsWith(data, size, text)) {
        return;
    }
    waitForMark(mark);
}

/* True when the descriptor is the file `name` of the working folder. */
static int isFileNamed(int fd, const char *name) {
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0) {
        return 0;
    }
    path[length] = '\0';
    const char *base = strrchr(path, '/');
    return base != NULL && strcmp(base + 1, name) == 0;
}

/* True when this write is the one STAGE_PAUSE_IN names. */
static int pausesInside(int fd) {
    const char *setting = getenv("STAGE_PAUSE_IN");
    char name[256];
    long number;
    if (setting == NULL || getenv("STAGE_MARK") == NULL ||
        sscanf(setting, "%255[^:]:%ld", name, &number) != 2 || !isFileNamed(fd, name)) {
        return 0;
    }
    return ++writesToPausedFile == number;
}

/* What the staged failure does to this write: 0 nothing, 1 half, 2 fail.
   Each of the files named, separated by commas, counts its own writes. */
static int failure(int fd) {
    static long writes[4];
    const char *setting = getenv("STAGE_FAIL");
    for (int entry = 0; setting != NULL && entry < 4; ++entry) {
        char name[256];
        long first, count;
        if (sscanf(setting, "%255[^:]:%ld:%ld", name, &first, &count) != 3) {
            return 0;
        }
        if (isFileNamed(fd, name)) {
            long number = ++writes[entry];
            if (number == first) {
                return 1;
            }
            return number > first && number < first + count ? 2 : 0;
        }
        setting = strchr(setting, ',');
        setting = setting != NULL ? setting + 1 : NULL;
    }
    return 0;
}

static ssize_t realWrite(int fd, const void *data, size_t size) {
    static ssize_t (*real)(int, const void *, size_t);
    if (real == NULL) {
        real = (ssize_t(*)(int, const void *, size_t))dlsym(RTLD_NEXT, "write");
    }
    return real(fd, data, size);
}

/* Writes all of `data`, pausing once half of it is written. */
static ssize_t writeAroundPause(int fd, const char *data, size_t size) {
    size_t half = size / 2, done = 0;
    while (done < size) {
        if (done >= half && half > 0) {
            waitForMark(getenv("STAGE_MARK"));
            half = 0;
        }
        ssize_t written = realWrite(fd, data + done, (half > done ? half : size) - done);
        if (written < 0) {
            return done > 0 ? (ssize_t)done : -1;
        }
        done += (size_t)written;
    }
    return (ssize_t)done;
}

/* Waits as STAGE_SLOW asks before a write to its file. */
static void slowDown(int fd) {
    const char *setting = getenv("STAGE_SLOW");
    char name[256];
    long microseconds;
    if (setting != NULL && sscanf(setting, "%255[^:]:%ld", name, &microseconds) == 2 &&
        isFileNamed(fd, name)) {
        struct timespec wait = {microseconds / 1000000, (microseconds % 1000000) * 1000};
        nanosleep(&wait, NULL);
    }
}

ssize_t write(int fd, const void *data, size_t size) {
    slowDown(fd);
    pauseAt(fd, data, size);
    if (pausesInside(fd)) {
        return writeAroundPause(fd, data, size);
    }
    switch (failure(fd)) {
    case 1:
        return realWrite(fd, data, size / 2);
    case 2:
        errno = ENOSPC;
        return -1;
    }
    return realWrite(fd, data, size);
}

ssize_t writev(int fd, const struct iovec *vectors, int count) {
    static ssize_t (*real)(int, const struct iovec *, int);
    if (real == NULL) {
        real = (ssize_t(*)(int, const struct iovec *, int))dlsym(RTLD_NEXT, "writev");
    }
    slowDown(fd);
    if (count > 0) {
        pauseAt(fd, vectors[0].iov_base, vectors[0].iov_len);
    }
    if (pausesInside(fd)) {
        size_t size = 0;
        for (int index = 0; index < count; ++index) {
            size += vectors[index].iov_len;
        }
        char *joined = malloc(size > 0 ? size : 1);
        if (joined == NULL) {
            errno = ENOMEM;
            return -1;
        }
        for (size_t at = 0, index = 0; index < (size_t)count; at += vectors[index++].iov_len) {
            memcpy(joined + at, vectors[index].iov_base, vectors[index].iov_len);
        }
        ssize_t written = writeAroundPause(fd, joined, size);
        free(joined);
        return written;
    }
    switch (failure(fd)) {
    case 1:
        return count > 0 ? realWrite(fd, vectors[0].iov_base, vectors[0].iov_len / 2) : 0;
    case 2:
        errno = ENOSPC;
        return -1;
    }
    return real(fd, vectors, count);
}

ssize_t read(int fd, void *data, size_t size) {
    static ssize_t (*real)(int, void *, size_t);
    if (real == NULL) {
        real = (ssize_t(*)(int, void *, size_t))dlsym(RTLD_NEXT, "read");
    }
    const char *setting = getenv("STAGE_READ_FAIL");
    char name[256];
    long number;
    if (setting != NULL && sscanf(setting, "%255[^:]:%ld", name, &number) == 2 &&
        isFileNamed(fd, name) && ++readsFromFile == number) {
        errno = EIO;
        return -1;
    }
    const char *pause = getenv("STAGE_READ_PAUSE");
    if (pause != NULL && getenv("STAGE_MARK") != NULL &&
        sscanf(pause, "%255[^:]:%ld", name, &number) == 2 && isFileNamed(fd, name) &&
        ++readsBeforePause == number) {
        waitForMark(getenv("STAGE_MARK"));
    }
    return real(fd, data, size);
}

/* The stat calls, with the times taken away where STAGE_NO_TIMES asks. */
static int withoutTimes(int result, struct stat *info) {
    if (result == 0 && getenv("STAGE_NO_TIMES") != NULL) {
        memset(&info->st_mtim, 0, sizeof info->st_mtim);
        memset(&info->st_ctim, 0, sizeof info->st_ctim);
        memset(&info->st_atim, 0, sizeof info->st_atim);
    }
    return result;
}

int fstat(int fd, struct stat *info) {
    static int (*real)(int, struct stat *);
    if (real == NULL) {
        real = (int (*)(int, struct stat *))dlsym(RTLD_NEXT, "fstat");
    }
    return withoutTimes(real(fd, info), info);
}

int stat(const char *path, struct stat *info) {
    static int (*real)(const char *, struct stat *);
    if (real == NULL) {
        real = (int (*)(const char *, struct stat *))dlsym(RTLD_NEXT, "stat");
    }
    return withoutTimes(real(path, info), info);
}

int ftruncate(int fd, off_t length) {
    static int (*real)(int, off_t);
    if (real == NULL) {
        real = (int (*)(int, off_t))dlsym(RTLD_NEXT, "ftruncate");
    }
    const char *name = getenv("STAGE_CUT_FAIL");
    if (name != NULL && isFileNamed(fd, name)) {
        errno = EPERM;
        return -1;
    }
    return real(fd, length);
}

int open(const char *path, int flags, ...) {
    static int (*real)(const char *, int, ...);
    static int linked;
    if (real == NULL) {
        real = (int (*)(const char *, int, ...))dlsym(RTLD_NEXT, "open");
    }
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list arguments;
        va_start(arguments, flags);
        mode = (mode_t)va_arg(arguments, int);
        va_end(arguments);
    }
    const char *setting = getenv("STAGE_OPEN_LINK");
    char name[256], target[4096];
    if (!linked && setting != NULL && (flags & O_ACCMODE) != O_RDONLY &&
        sscanf(setting, "%255[^:]:%4095s", name, target) == 2 && strcmp(path, name) == 0) {
        linked = 1;
        unlink(path);
        if (symlink(target, path) != 0) {
            perror("stage: symlink");
        }
    }
    return real(path, flags, mode);
}

int flock(int fd, int operation) {
    static int (*real)(int, int);
    if (real == NULL) {
        real = (int (*)(int, int))dlsym(RTLD_NEXT, "flock");
    }
    if (getenv("STAGE_NO_LOCKS") != NULL) {
        errno = ENOLCK;
        return -1;
    }
    return real(fd, operation);
}

int fcntl(int fd, int command, ...) {
    static int (*real)(int, int, ...);
    if (real == NULL) {
        real = (int (*)(int, int, ...))dlsym(RTLD_NEXT, "fcntl");
    }
    va_list arguments;
    va_start(arguments, command);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);
    const int locking = command == F_SETLK || command == F_SETLKW || command == F_OFD_SETLK ||
                        command == F_OFD_SETLKW;
    if (locking && getenv("STAGE_NO_LOCKS") != NULL) {
        errno = ENOLCK;
        return -1;
    }
    return real(fd, command, argument);
}
