#include "line_writer.hpp"

#include <charconv>

#include "raw_io.hpp"

namespace {

// Pieces longer than this bypass the line buffer, so a huge input line is
// written straight from where it is held instead of being copied again.
constexpr std::size_t kDirectWriteSize = 16 * 1024;

}  // namespace

LineWriter& LineWriter::operator<<(std::string_view text) {
    if (text.size() >= kDirectWriteSize) {
        flush();
        if (!rawio::writeAll(fd_, text.data(), text.size())) {
            failed_ = true;
        }
    } else {
        pending_.append(text);
    }
    return *this;
}

LineWriter& LineWriter::operator<<(std::int32_t number) {
    return *this << static_cast<std::int64_t>(number);
}

LineWriter& LineWriter::operator<<(std::int64_t number) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    pending_.append(digits, result.ptr);
    return *this;
}

void LineWriter::endLine() {
    pending_.push_back('\n');
    flush();
}

void LineWriter::flush() {
    if (!pending_.empty()) {
        if (!rawio::writeAll(fd_, pending_.data(), pending_.size())) {
            failed_ = true;
        }
        pending_.clear();
    }
}
