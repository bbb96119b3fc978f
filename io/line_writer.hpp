#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writes text line by line to a descriptor. Every line is handed to the
// system as soon as it ends, in one system call, so a person at the console
// sees it before the program waits, and a file holds every line written so
// far, whole, even if the process is killed by any signal it can catch: such
// a signal waits until the line being written to a regular file is complete.
// Once a write has failed, nothing more is written: a later line would leave
// a gap before it.
class LineWriter {
public:
    // What the descriptor leads to. A file of the program's own must end on a
    // whole line: where a write to it fails, or falls short on a regular file
    // (a full disk), it is cut back to its last complete line. Anything else,
    // and a file that is not on disk (a FIFO, a device), takes a short write
    // as a reason to write the rest.
    enum class Target { Console, File };

    explicit LineWriter(int fd, Target target = Target::Console);

    LineWriter& operator<<(std::string_view text);
    LineWriter& operator<<(std::int64_t number);

    // Writes the pieces given, then ends the line: a line break and a flush.
    template <typename... Pieces>
    void line(const Pieces&... pieces) {
        ((*this << pieces), ...);
        endLine();
    }

    void endLine();

    // Writes a block of lines, each ended by '\n' in `block`, one by one:
    // each goes out with its line break, as line() would write it.
    void lines(std::string_view block);

    // True once any write to the descriptor has failed.
    bool failed() const { return failed_; }

private:
    // A stretch of the line: bytes of `pending_` from `offset`, or, for a long
    // piece, the caller's own bytes, which stay where they are held.
    struct Piece {
        const char* held;
        std::size_t offset;
        std::size_t size;
    };

    void flush();
    void write(std::uint64_t size);

    int fd_;
    Target target_;
    bool regularFile_;
    bool failed_ = false;
    std::string pending_;
    std::vector<Piece> pieces_;
    std::vector<std::string_view> views_;
    // The bytes and line breaks of the complete lines written so far.
    std::uint64_t keptBytes_ = 0;
    std::uint64_t keptLineBreaks_ = 0;
};
