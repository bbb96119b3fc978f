#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Writes text line by line to a descriptor. Every line is handed to the
// system as soon as it ends, so a person at the console sees it before the
// program waits, and a file holds every line written so far even if the
// process is killed. A write that fails is remembered, never retried.
class LineWriter {
public:
    explicit LineWriter(int fd) : fd_(fd) {}

    LineWriter& operator<<(std::string_view text);
    LineWriter& operator<<(std::int32_t number);
    LineWriter& operator<<(std::int64_t number);

    // Writes the pieces given, then ends the line: a line break and a flush.
    template <typename... Pieces>
    void line(const Pieces&... pieces) {
        ((*this << pieces), ...);
        endLine();
    }

    void endLine();

    // True once any write to the descriptor has failed.
    bool failed() const { return failed_; }

private:
    void flush();

    int fd_;
    bool failed_ = false;
    std::string pending_;
};
