/*
 * The cost floor for renumbrix: the same write calls with the same bytes,
 * one write per line to the console or a file, and nothing else. It reads
 * all of its input at once and trusts it to be a well-formed block, so every
 * cycle it spends beyond the system calls is as small as it can be.
 */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char line[1 << 16];

static void put(int fd, const char *text, size_t size) {
    if (write(fd, text, size) < 0) {
        /* The floor measures time; lost output does not matter here. */
    }
}

#define PUT(fd, literal) put(fd, literal "\n", sizeof literal)

/* One line made of a label, a number and a tail. */
static void compose(int fd, const char *label, long number, const char *tail, size_t tailSize) {
    int size = snprintf(line, sizeof line, "%s%ld", label, number);
    memcpy(line + size, tail, tailSize);
    line[size + tailSize] = '\n';
    put(fd, line, (size_t)size + tailSize + 1);
}

/* One line made of a label and a tail, without a number. */
static void labelled(int fd, const char *label, const char *tail, size_t tailSize) {
    size_t size = strlen(label);
    memcpy(line, label, size);
    memcpy(line + size, tail, tailSize);
    line[size + tailSize] = '\n';
    put(fd, line, size + tailSize + 1);
}

static char *readAll(size_t *size) {
    size_t capacity = 1 << 20, used = 0;
    char *data = malloc(capacity);
    ssize_t count;
    while ((count = read(0, data + used, capacity - used)) > 0) {
        used += (size_t)count;
        if (used == capacity) {
            data = realloc(data, capacity *= 2);
        }
    }
    *size = used;
    return data;
}

int main(void) {
    size_t size;
    char *input = readAll(&size);
    char *at = input, *end = input + size;
    long declared = strtol(at, &at, 10);
    long start = strtol(at, &at, 10);
    at = memchr(at, '\n', (size_t)(end - at)) + 1;

    PUT(1, "Welcome To Sorting Script v1.0 Made By Korvath.Contact Email:korvath@example.com");
    PUT(1, "");
    PUT(1, "For help look in ReadMe.If you find any type of bugs report back to me.Thanks in advance.");
    PUT(1, "");
    PUT(1, "Note:After the process of each line, LINE PROCESSED text would get printed.If it doesn`t at the end line press Enter KEY. ");
    PUT(1, "");
    PUT(1, "--------------------------------------------------Starting Script--------------------------------------------------");
    PUT(1, "");
    PUT(1, "");
    int ide = open("Sorted.ide", O_WRONLY | O_CREAT | O_TRUNC, 0666);
    PUT(2, "Created Sorted.ide file");
    int log = open("Sorted.log", O_WRONLY | O_CREAT | O_TRUNC, 0666);
    PUT(ide, "#Item Defination File Created by Korvath`s Sorting Script.");
    PUT(ide, "objs");
    PUT(2, "Created Sorted.log file");
    PUT(1, "");
    PUT(1, "");
    PUT(log, "Starting Sorted.log");
    PUT(log, "");
    PUT(log, "IDE sorting script made by Korvath.");
    PUT(log, "");
    PUT(1, "Enter the Sorting IDE Obj(Lines) Amount:(Very Important.If wrong the program won`t function as intended.)");
    PUT(1, "");
    PUT(1, "Enter the object ID starting point ID:");
    PUT(1, "");

    for (long index = 0; index < declared; ++index) {
        long newId = start + index;
        PUT(1, "Enter the IDE lines:");
        long id = strtol(at, &at, 10);
        char *lineEnd = memchr(at, '\n', (size_t)(end - at));
        size_t restSize = (size_t)(lineEnd - at);
        PUT(1, "Line Processed");
        PUT(1, "");
        compose(ide, "", newId, at, restSize);
        PUT(log, "");
        PUT(log, "");
        compose(log, "Entered Line:           ", id, at, restSize);
        compose(log, "Object ID Detected:     ", id, "", 0);
        compose(log, "Changed Object ID To:   ", newId, "", 0);
        labelled(log, "Line Extention:         ", at, restSize);
        compose(log, "Updated Line:           ", newId, at, restSize);
        PUT(log, "");
        PUT(log, "");
        at = lineEnd + 1;
    }

    PUT(ide, "end");
    PUT(ide, "tobj");
    PUT(ide, "end");
    PUT(ide, "2dfx");
    PUT(ide, "end");
    PUT(log, "Sorted.ide Closed");
    PUT(log, "Sorted.log Closed");
    PUT(1, "______________________________Sorting Finished!______________________________");
    PUT(1, "");
    compose(1, "Total IDs Sorted:", declared, "", 0);
    {
        static const char finished[] = "------------------------------Log Finished!------------------------------";
        int size = snprintf(line, sizeof line, "%sTotal IDs Sorted:%ld\n", finished, declared);
        put(log, line, (size_t)size);
    }
    PUT(1, "");
    PUT(1, "Special Thanks: Programmers around the globe.");
    PUT(1, "");
    close(ide);
    PUT(1, "Sorted.ide Closed");
    close(log);
    PUT(1, "Sorted.log Closed");
    PUT(1, "Press Any Key To Quit...");
    free(input);
    return 0;
}
