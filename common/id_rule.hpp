#pragma once

// The one rule by which renumbrix reads a number, whether the declared line
// count, the starting ID or the ID at the front of a line, and the range every
// such number must lie in; and the marks an editor may put in front of a
// text. The block check (block_check.hpp) applies the same rules to tell
// which lines renumbrix would not take.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

// The encoding a text announces with a mark at its very start, as editors
// write them: a UTF-8 byte-order mark, which says nothing renumbrix needs, or
// one of UTF-16 ("Unicode"), whose text holds a zero byte in every character
// and cannot be read at all.
enum class TextMark { None, Utf8, Utf16 };
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The mark at the start of `source`, which tells with nextBytesAre(bytes)
// whether its next bytes are those given. Consumes nothing.
template <typename Source>
TextMark textMarkAt(Source& source) {
    if (source.nextBytesAre(kUtf8Mark)) {
        return TextMark::Utf8;
    }
    return source.nextBytesAre("\xFF\xFE") || source.nextBytesAre("\xFE\xFF") ? TextMark::Utf16
                                                                               : TextMark::None;
}

// Passes over a UTF-8 mark at the very start of `source`, which also gives
// skipBytes(count), and tells what mark there was: the one rule by which
// both programs take the start of their input, so that they cannot disagree
// on it. UTF-16 text is not read at all.
template <typename Source>
TextMark passMarkAtStart(Source& source) {
    const TextMark mark = textMarkAt(source);
    if (mark == TextMark::Utf8) {
        source.skipBytes(kUtf8Mark.size());
    }
    return mark;
}

// The ID range: the only values accepted as declared line count, starting
// ID or line ID.
constexpr std::int32_t kLowestId = 1;
constexpr std::int32_t kHighestId = 999998;

constexpr bool isInIdRange(std::int32_t n) {
    // One unsigned comparison: values below the range wrap to the top.
    return static_cast<std::uint32_t>(n) - static_cast<std::uint32_t>(kLowestId) <=
           static_cast<std::uint32_t>(kHighestId - kLowestId);
}

// The whitespace the rule passes over before a number: blanks, tabs and line
// breaks of every kind.
constexpr bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The section keywords of IDE files, in lower case. A line holding one opens
// or closes a section and defines nothing, yet "2dfx" reads as the ID 2.
constexpr std::string_view kSectionKeywords[] = {"objs", "tobj", "2dfx", "end",  "inst",
                                                 "cars", "peds", "hier", "weap", "anim",
                                                 "tanm", "txdp", "path"};
constexpr std::size_t kLongestKeyword = 4;

// What may end a keyword: the line's end, whitespace, a comma or a comment.
constexpr bool endsWord(char c) {
    return isBlank(c) || c == ',' || c == '#';
}

constexpr char lowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The section keyword, in any case, that `lineStart` (a line's first bytes,
// its leading blanks passed over, at least kLongestKeyword + 1 of them where
// the line holds that many) begins with as a word of its own; empty when it
// begins with none.
constexpr std::string_view sectionKeywordAt(std::string_view lineStart) {
    for (const std::string_view keyword : kSectionKeywords) {
        if (lineStart.size() < keyword.size() ||
            (lineStart.size() > keyword.size() && !endsWord(lineStart[keyword.size()]))) {
            continue;
        }
        bool same = true;
        for (std::size_t index = 0; index < keyword.size(); ++index) {
            same = same && lowerCase(lineStart[index]) == keyword[index];
        }
        if (same) {
            return keyword;
        }
    }
    return {};
}

// True for what may follow the ID of a definition line (`c`, or a negative
// value at the line's end): a comma, a blank or a tab before the next field,
// or a CR (that of a CR LF line end; one inside a line is judged apart). Any
// other character runs into the ID: a typo such as "15OO" or "1503.".
constexpr bool mayFollowId(int c) {
    return c < 0 || c == ',' || c == ' ' || c == '\t' || c == '\r';
}

constexpr bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

// How a number read went.
enum class NumberRead {
    Number,      // a number that fits 32 bits
    NotANumber,  // something else where the number should start
    TooLong,     // digits beyond what 32 bits hold
    Nothing,     // only whitespace before the end of the source
};

// Skips whitespace (line breaks included), then reads an optionally signed
// decimal number, leaving the character behind it unread. Stores the number;
// 0 for something that is not one; the nearest 32-bit limit for one too long;
// nothing when only whitespace was left. `source` gives the next byte with
// peek() (0 to 255, or a negative value at its end) and consumes it with
// skip().
template <typename Source>
NumberRead readNumber(Source& source, std::int32_t& value) {
    int c = source.peek();
    while (isBlank(c)) {
        source.skip();
        c = source.peek();
    }
    if (c < 0) {
        return NumberRead::Nothing;
    }
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        source.skip();
        c = source.peek();
    }
    if (!isDigit(c)) {
        value = 0;
        return NumberRead::NotANumber;
    }

    // The magnitude may reach one past the largest positive value, which
    // only a negative number can use. Digits past an overflow are still
    // consumed: they belong to the number.
    const std::uint32_t limit =
        static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) + (negative ? 1u : 0u);
    std::uint32_t magnitude = 0;
    bool overflow = false;
    while (isDigit(c)) {
        const auto digit = static_cast<std::uint32_t>(c - '0');
        if (!overflow && magnitude <= (limit - digit) / 10) {
            magnitude = magnitude * 10 + digit;
        } else {
            overflow = true;
        }
        source.skip();
        c = source.peek();
    }
    if (overflow) {
        value = negative ? std::numeric_limits<std::int32_t>::min()
                         : std::numeric_limits<std::int32_t>::max();
        return NumberRead::TooLong;
    }
    value = negative ? static_cast<std::int32_t>(0u - magnitude)
                     : static_cast<std::int32_t>(magnitude);
    return NumberRead::Number;
}
