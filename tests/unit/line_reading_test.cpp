// The sorting run's reading operations, by the ID rule, over the real reader.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <thread>

#include "common/console_input.hpp"
#include "common/id_rule.hpp"
#include "sorter/block_file.hpp"
#include "sorter/sorting_run.hpp"

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kUntouched = 12345;

// Console input served from a temporary file, read through the real reader.
class Console {
public:
    explicit Console(const std::string& bytes) : file_(std::tmpfile()) {
        std::fwrite(bytes.data(), 1, bytes.size(), file_);
        std::fflush(file_);
        std::rewind(file_);
    }
    ~Console() { std::fclose(file_); }
    int fd() const { return fileno(file_); }

private:
    std::FILE* file_;
};

struct Reading {
    explicit Reading(const std::string& bytes) : console(bytes), input(console.fd()) {}

    std::int32_t number(bool expectRead) {
        std::int32_t value = kUntouched;
        EXPECT_EQ(readIdNumber(input, value), expectRead);
        return value;
    }
    std::string extension() {
        std::string rest = "stale";
        readLineExtension(input, rest);
        return rest;
    }

    Console console;
    InputReader input;
};

TEST(IdRange, AcceptsOneTo999998Only) {
    EXPECT_TRUE(isInIdRange(1));
    EXPECT_TRUE(isInIdRange(400));
    EXPECT_TRUE(isInIdRange(999998));
    EXPECT_FALSE(isInIdRange(0));
    EXPECT_FALSE(isInIdRange(999999));
    EXPECT_FALSE(isInIdRange(-1));
    EXPECT_FALSE(isInIdRange(kMin));
    EXPECT_FALSE(isInIdRange(kMax));
}

TEST(IntegerRead, SignsLeadingZerosAndWhitespace) {
    Reading r(" \t\r\n\v\f007 +7 -5 -0 2147483647 -2147483648 +2");
    EXPECT_EQ(r.number(true), 7);
    EXPECT_EQ(r.number(true), 7);
    EXPECT_EQ(r.number(true), -5);
    EXPECT_EQ(r.number(true), 0);
    EXPECT_EQ(r.number(true), kMax);
    EXPECT_EQ(r.number(true), kMin);
    EXPECT_EQ(r.number(true), 2);  // ends right behind the digits: still read
    EXPECT_EQ(r.number(false), kUntouched);
}

TEST(IntegerRead, StopsAtTheFirstCharacterThatIsNoDigit) {
    Reading r("150abc\n151, chair\n");
    EXPECT_EQ(r.number(true), 150);
    EXPECT_EQ(r.extension(), "abc");
    EXPECT_EQ(r.number(true), 151);
    EXPECT_EQ(r.extension(), ", chair");
}

TEST(IntegerRead, OverflowStoresTheLimitAndFailsLaterReads) {
    EXPECT_EQ(Reading("2147483648 5").number(false), kMax);
    EXPECT_EQ(Reading("12345678901 5").number(false), kMax);
    EXPECT_EQ(Reading("-2147483649 5").number(false), kMin);
    EXPECT_EQ(Reading("99999999999999999999999999 5").number(false), kMax);

    Reading r("12345678901 5\n");
    r.number(false);
    EXPECT_EQ(r.number(false), kUntouched);
    EXPECT_EQ(r.extension(), "");
}

TEST(IntegerRead, NonNumberStoresZeroAndFailsLaterReads) {
    for (const char* input : {"objs\n5", "end", "# note\n5", "+x", "-", "+-5", ", chair"}) {
        Reading r(input);
        EXPECT_EQ(r.number(false), 0) << input;
        EXPECT_EQ(r.number(false), kUntouched) << input;
    }
}

TEST(IntegerRead, EndOfInputStoresNothing) {
    EXPECT_EQ(Reading("").number(false), kUntouched);
    EXPECT_EQ(Reading(" \n\n\t").number(false), kUntouched);
}

TEST(LineIdRead, HoldsZeroWhenNothingWasStored) {
    Reading r("150, a\n");
    std::int32_t lineId = 0;
    EXPECT_TRUE(readLineId(r.input, lineId));
    EXPECT_EQ(lineId, 150);
    r.extension();
    EXPECT_FALSE(readLineId(r.input, lineId));
    EXPECT_EQ(lineId, 0);
}

// A starting ID typed for a block file: one whole number on its line, whose
// last new ID fits the range, or the reason it is not taken.
TEST(StartAnswer, TakesOneWholeNumberThatFitsTheBlock) {
    using Kind = StartAnswer::Kind;
    const auto kind = [](const char* typed, std::int32_t lines = 2) {
        return judgeStartAnswer(typed, lines).kind;
    };
    EXPECT_EQ(judgeStartAnswer(" +400 \t\r", 2).start, 400);
    EXPECT_EQ(kind(" +400 \t\r"), Kind::Taken);
    EXPECT_EQ(kind(""), Kind::Empty);
    EXPECT_EQ(kind(" \t"), Kind::Empty);
    EXPECT_EQ(kind("0"), Kind::OutOfRange);
    EXPECT_EQ(kind("-5"), Kind::OutOfRange);
    EXPECT_EQ(kind("999999", 1), Kind::OutOfRange);
    EXPECT_EQ(kind("99999999999"), Kind::OutOfRange);
    EXPECT_EQ(kind("999998", 1), Kind::Taken);
    EXPECT_EQ(kind("999997", 2), Kind::Taken);
    EXPECT_EQ(kind("999998", 2), Kind::TooHigh);
    EXPECT_EQ(kind("1", 999998), Kind::Taken);
    EXPECT_EQ(kind("2", 999998), Kind::TooHigh);
    for (const char* typed : {"4OO", "2o", "99999999999x", "15 OO", "400.", "+x"}) {
        const StartAnswer answer = judgeStartAnswer(typed, 2);
        EXPECT_EQ(answer.kind, Kind::NoNumber) << typed;
        EXPECT_TRUE(answer.wrongFound) << typed;
        EXPECT_TRUE(std::isalpha(typed[answer.wrongAt]) || typed[answer.wrongAt] == '.')
            << typed;
    }
    const StartAnswer split = judgeStartAnswer("4 00", 2);
    EXPECT_EQ(split.kind, Kind::NoNumber);
    EXPECT_FALSE(split.wrongFound);
}

TEST(ExtensionRead, KeepsEveryByteUpToTheLineBreak) {
    const char raw[] = "1,\tx  \r\n2\n3, \0\xff\x80\n4, last";
    const std::string bytes(raw, sizeof raw - 1);
    Reading r(bytes);
    r.number(true);
    EXPECT_EQ(r.extension(), ",\tx  \r");
    r.number(true);
    EXPECT_EQ(r.extension(), "");
    r.number(true);
    EXPECT_EQ(r.extension(), std::string(", \0\xff\x80", 5));
    r.number(true);
    EXPECT_EQ(r.extension(), ", last");
    EXPECT_EQ(r.number(false), kUntouched);
}

TEST(ExtensionRead, NeverKeepsAnEarlierLinesExtension) {
    Reading r("1, first\n2");
    r.number(true);
    EXPECT_EQ(r.extension(), ", first");
    r.number(true);
    EXPECT_EQ(r.extension(), "");
}

TEST(ExtensionRead, LineLongerThanTheReadBuffer) {
    const std::string longRest = ", " + std::string(300000, 'x');
    Reading r("1" + longRest + "\n2, short\n");
    r.number(true);
    EXPECT_EQ(r.extension(), longRest);
    EXPECT_EQ(r.number(true), 2);
    EXPECT_EQ(r.extension(), ", short");
}

// A pipe that hands the input over one byte at a time, so that every
// look ahead must wait for the bytes it compares.
TEST(IntegerRead, ByteOrderMarkArrivingByteByByte) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread writer([&] {
        for (const char c : std::string("\xEF\xBB\xBF" "42 \xEF\xBB\xBF" "7")) {
            EXPECT_EQ(write(ends[1], &c, 1), 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        close(ends[1]);
    });
    InputReader input(ends[0]);
    std::int32_t value = kUntouched;
    EXPECT_TRUE(readIdNumber(input, value));
    EXPECT_EQ(value, 42);
    EXPECT_FALSE(readIdNumber(input, value));  // a mark later on is not passed over
    EXPECT_EQ(value, 0);
    writer.join();
    close(ends[0]);
}

}  // namespace
