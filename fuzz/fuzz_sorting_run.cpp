// Drives a whole sorting run in process over arbitrary console input and
// checks what it leaves in Sorted.ide and Sorted.log. The run writes its files
// into the current folder, so the target moves into a scratch folder of its
// own at start-up: give it corpus and artifact paths that are absolute.
// Console output goes to the null device.

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "sorter/sorting_run.hpp"

namespace {

// Runs with more lines than this are skipped to keep every run fast; the
// rules for a line do not depend on how many there are.
constexpr std::int32_t kMostLinesRun = 300;

constexpr std::string_view kIdeHeader[] = {
    "#Item Defination File Created by Korvath`s Sorting Script.", "objs"};
constexpr std::string_view kIdeTrailer[] = {"end", "tobj", "end", "2dfx", "end"};
constexpr std::string_view kBlockStart = "Entered Line:           ";

int nullDevice = -1;
char scratchFolder[] = "/tmp/fuzz_sorting_run.XXXXXX";

void fail(const char* what) {
    std::fprintf(stderr, "fuzz_sorting_run: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what) {
    if (!condition) {
        fail(what);
    }
}

int inputFrom(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("console-input", 0);
    check(fd >= 0, "cannot make an input file");
    check(write(fd, data, size) == static_cast<ssize_t>(size), "cannot fill the input file");
    lseek(fd, 0, SEEK_SET);
    return fd;
}

std::vector<std::string> linesOf(const char* name) {
    std::ifstream file(name, std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(file), {}};
    check(content.empty() || content.back() == '\n', "a file does not end with a line break");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.emplace_back(content, start, end - start);
    }
    return lines;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The bytes an accepted entry carries must be what followed an ID on an
// input line: right behind a digit, running to a line break or the end of
// input. Entries come from the input in order, so the search moves forward.
void checkCarriedBytes(std::string_view input, std::size_t& cursor, std::string_view extension) {
    for (std::size_t at = input.find(extension, cursor); at != std::string_view::npos;
         at = input.find(extension, at + 1)) {
        const std::size_t end = at + extension.size();
        if (at > 0 && isDigit(input[at - 1]) && (end == input.size() || input[end] == '\n')) {
            cursor = end;
            return;
        }
    }
    fail("an entry carries bytes that did not follow an ID on an input line");
}

// The two answers of the dialogue, read by this file's own rule rather than
// the program's, so that a fault in reading them cannot hide itself: after
// any whitespace, an optional sign and decimal digits, the second read going
// on right behind the first. A UTF-8 byte-order mark at the start is passed
// over; UTF-16 input is not read at all.
struct Answers {
    bool sorting = false;  // both answers lie in 1 to 999998
    std::int32_t declared = 0;
    std::int32_t start = 0;
};

Answers readAnswers(std::string_view input) {
    std::size_t at = 0;
    if (input.substr(0, 2) == "\xFF\xFE" || input.substr(0, 2) == "\xFE\xFF") {
        return {};
    }
    if (input.substr(0, 3) == "\xEF\xBB\xBF") {
        at = 3;
    }
    const auto answer = [&](std::int32_t& value) {
        while (at < input.size() && (input[at] == ' ' || (input[at] >= '\t' && input[at] <= '\r'))) {
            ++at;
        }
        const bool negative = at < input.size() && input[at] == '-';
        if (at < input.size() && (input[at] == '-' || input[at] == '+')) {
            ++at;
        }
        if (at == input.size() || !isDigit(input[at])) {
            return false;
        }
        std::int64_t magnitude = 0;
        for (; at < input.size() && isDigit(input[at]); ++at) {
            magnitude = std::min<std::int64_t>(magnitude * 10 + (input[at] - '0'), 10000000);
        }
        value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
        return value >= 1 && value <= 999998;
    };
    Answers answers;
    answers.sorting = answer(answers.declared) && answer(answers.start);
    return answers;
}

}  // namespace

// The scratch folder goes when the fuzzer ends normally; after a finding it
// stays, holding the files of the failing run.
void removeScratchFolder() {
    std::remove("Sorted.ide");
    std::remove("Sorted.log");
    if (chdir("/") == 0) {
        rmdir(scratchFolder);
    }
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    check(mkdtemp(scratchFolder) != nullptr && chdir(scratchFolder) == 0,
          "cannot enter a scratch folder");
    std::atexit(removeScratchFolder);
    nullDevice = open("/dev/null", O_WRONLY);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Answers answers = readAnswers(input);
    const bool sorting = answers.sorting;
    const std::int32_t declared = answers.declared;
    const std::int32_t start = answers.start;
    if (sorting && declared > kMostLinesRun) {
        return -1;
    }

    const int fd = inputFrom(data, size);
    const int status = runSorting(ConsoleStreams{fd, nullDevice, nullDevice}).status;
    close(fd);
    // Input that starts as UTF-16 text cannot be read, which fails the run.
    const std::string_view mark(reinterpret_cast<const char*>(data), size < 2 ? size : 2);
    const bool utf16 = mark == "\xFF\xFE" || mark == "\xFE\xFF";
    check(status == (utf16 ? 1 : 0), "a run in a writable folder ended with the wrong status");

    const std::vector<std::string> ide = linesOf("Sorted.ide");
    const std::vector<std::string> log = linesOf("Sorted.log");
    const std::size_t entries = sorting ? static_cast<std::size_t>(declared) : 0;
    check(ide.size() == 2 + entries + (sorting ? 5 : 0), "Sorted.ide has the wrong number of lines");
    check(ide[0] == kIdeHeader[0] && ide[1] == kIdeHeader[1], "Sorted.ide header");

    std::size_t blocks = 0;
    for (const std::string& line : log) {
        blocks += std::string_view(line).substr(0, kBlockStart.size()) == kBlockStart;
    }
    check(blocks == entries, "Sorted.log does not hold one line block per declared line");
    if (!sorting) {
        return 0;
    }

    std::size_t cursor = 0;
    for (std::size_t index = 0; index < entries; ++index) {
        const std::string& entry = ide[2 + index];
        const std::string newId = std::to_string(start + static_cast<std::int32_t>(index));
        if (entry == "#" + newId) {
            continue;
        }
        check(entry.compare(0, newId.size(), newId) == 0, "an entry does not begin with its new ID");
        checkCarriedBytes(input, cursor, std::string_view(entry).substr(newId.size()));
    }
    for (std::size_t index = 0; index < 5; ++index) {
        check(ide[2 + entries + index] == kIdeTrailer[index], "Sorted.ide trailer");
    }
    return 0;
}
