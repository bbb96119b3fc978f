#include "input_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

#include "console_texts.hpp"
#include "raw_io.hpp"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

}  // namespace

InputReader::InputReader(int fd, LineWriter* errorStream)
    : fd_(fd), errorStream_(errorStream), buffer_(new char[kBufferSize]) {}

// Reads more input behind what is still buffered.
bool InputReader::refill() {
    if (ended_) {
        return false;
    }
    std::memmove(buffer_.get(), buffer_.get() + next_, limit_ - next_);
    limit_ -= next_;
    next_ = 0;
    const long count = rawio::readSome(fd_, buffer_.get() + limit_, kBufferSize - limit_);
    if (count <= 0) {
        ended_ = true;
        if (count < 0) {
            readError_ = errno;
            fail();
        }
        return false;
    }
    limit_ += static_cast<std::size_t>(count);
    return true;
}

bool InputReader::nextBytesAre(std::string_view bytes) {
    for (;;) {
        const std::size_t compared = std::min(limit_ - next_, bytes.size());
        if (std::memcmp(buffer_.get() + next_, bytes.data(), compared) != 0) {
            return false;
        }
        if (compared == bytes.size()) {
            return true;
        }
        if (!refill()) {
            return false;
        }
    }
}

InputReader::TextMark InputReader::peekTextMark() {
    if (nextBytesAre(kUtf8Mark)) {
        return TextMark::Utf8;
    }
    return nextBytesAre("\xFF\xFE") || nextBytesAre("\xFE\xFF") ? TextMark::Utf16
                                                                 : TextMark::None;
}

void InputReader::skipTextMark() {
    next_ += kUtf8Mark.size();
}

void InputReader::failWith(std::string_view reason) {
    if (errorStream_ != nullptr) {
        errorStream_->line(reason);
    }
    fail();
}

void InputReader::fail() {
    ended_ = true;
    readFailed_ = true;
    next_ = limit_ = 0;
    if (errorStream_ != nullptr) {
        errorStream_->line(console_text::kInputNotRead);
    }
}

InputReader::LineEnd InputReader::takeLine(std::string* sink) {
    if (sink == nullptr) {
        return passLine([](const char*, std::size_t) { return true; });
    }
    const LineEnd end = passLine([&](const char* piece, std::size_t length) {
        // The standard string reports a growth it cannot make by throwing;
        // here that is input the program cannot take, not a crash.
        try {
            sink->append(piece, length);
            return true;
        } catch (const std::exception&) {  // std::bad_alloc or std::length_error
            return false;
        }
    });
    if (end == LineEnd::Dropped) {
        std::string().swap(*sink);
        fail();
    }
    return end;
}
