/*
 * Loaded into a program under test with LD_PRELOAD, this stages the moments
 * a case needs from outside the program, by standing in for write and writev:
 *
 * STAGE_PAUSE_AT=text, STAGE_MARK=path
 *     The write to standard output that starts with `text` waits: the file
 *     `path` is created, and the write goes ahead once it has been removed.
 * STAGE_FAIL=name:first:count
 *     Writes to the file `name` of the working folder, counted from 1: write
 *     number `first` takes half of its bytes, as on a disk that has just
 *     filled, the `count` - 1 after it fail with ENOSPC, and later ones go
 *     through again, as once space has been freed.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

static long writesToFile;

static int startsWith(const void *data, size_t size, const char *text) {
    size_t length = strlen(text);
    return size >= length && memcmp(data, text, length) == 0;
}

static void pauseAt(int fd, const void *data, size_t size) {
    const char *text = getenv("STAGE_PAUSE_AT");
    const char *mark = getenv("STAGE_MARK");
    if (fd != 1 || text == NULL || mark == NULL || !startsWith(data, size, text)) {
        return;
    }
    close(open(mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    struct timespec tick = {0, 10 * 1000 * 1000};
    while (access(mark, F_OK) == 0) {
        nanosleep(&tick, NULL);
    }
}

/* What the staged failure does to this write: 0 nothing, 1 half, 2 fail. */
static int failure(int fd) {
    const char *setting = getenv("STAGE_FAIL");
    char name[256], link[64], path[4096];
    long first, count;
    if (setting == NULL || sscanf(setting, "%255[^:]:%ld:%ld", name, &first, &count) != 3) {
        return 0;
    }
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0) {
        return 0;
    }
    path[length] = '\0';
    const char *base = strrchr(path, '/');
    if (base == NULL || strcmp(base + 1, name) != 0) {
        return 0;
    }
    long number = ++writesToFile;
    if (number == first) {
        return 1;
    }
    return number > first && number < first + count ? 2 : 0;
}

static ssize_t realWrite(int fd, const void *data, size_t size) {
    static ssize_t (*real)(int, const void *, size_t);
    if (real == NULL) {
        real = (ssize_t(*)(int, const void *, size_t))dlsym(RTLD_NEXT, "write");
    }
    return real(fd, data, size);
}

ssize_t write(int fd, const void *data, size_t size) {
    pauseAt(fd, data, size);
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
    if (count > 0) {
        pauseAt(fd, vectors[0].iov_base, vectors[0].iov_len);
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
