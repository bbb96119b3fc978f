#include "id_line_reader.hpp"

#include <limits>

namespace {

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool isInIdRange(std::int32_t n) {
    // One unsigned comparison: values below the range wrap to the top.
    return static_cast<std::uint32_t>(n) - static_cast<std::uint32_t>(kLowestId) <=
           static_cast<std::uint32_t>(kHighestId - kLowestId);
}

bool IdLineReader::readIdNumber(std::int32_t& value) {
    if (ended_ || failed_) {
        failed_ = true;
        return false;
    }
    int c = input_.peek();
    while (isBlank(c)) {
        input_.skip();
        c = input_.peek();
    }
    if (c == InputReader::kEnd) {
        ended_ = failed_ = true;
        return false;
    }

    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        input_.skip();
        c = input_.peek();
    }
    if (!isDigit(c)) {
        value = 0;
        failed_ = true;
        ended_ = c == InputReader::kEnd;
        return false;
    }

    // The magnitude may reach one past the largest positive value, which
    // only a negative number can use. Digits past an overflow are still
    // consumed: they belong to the number.
    const std::uint32_t limit = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) +
                                (negative ? 1u : 0u);
    std::uint32_t magnitude = 0;
    bool overflow = false;
    while (isDigit(c)) {
        const auto digit = static_cast<std::uint32_t>(c - '0');
        if (!overflow && magnitude <= (limit - digit) / 10) {
            magnitude = magnitude * 10 + digit;
        } else {
            overflow = true;
        }
        input_.skip();
        c = input_.peek();
    }
    ended_ = c == InputReader::kEnd;

    if (overflow) {
        value = negative ? std::numeric_limits<std::int32_t>::min()
                         : std::numeric_limits<std::int32_t>::max();
        failed_ = true;
        return false;
    }
    value = negative ? static_cast<std::int32_t>(0u - magnitude) : static_cast<std::int32_t>(magnitude);
    return true;
}

bool IdLineReader::readLineId(std::int32_t& lineId) {
    lineId = 0;
    return readIdNumber(lineId);
}

bool IdLineReader::readLineExtension(std::string& extension) {
    extension.clear();
    if (ended_ || failed_) {
        failed_ = true;
        return true;
    }
    switch (input_.takeLine(&extension)) {
        case InputReader::LineEnd::Break:
            return true;
        case InputReader::LineEnd::Input:
            ended_ = true;
            return true;
        case InputReader::LineEnd::Dropped:
            ended_ = failed_ = true;
            return false;
    }
    return false;
}
