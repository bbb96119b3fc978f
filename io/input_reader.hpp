#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "line_writer.hpp"

// Reads console input through a block buffer. A read takes whatever the
// system has ready, so a typed line is available as soon as Enter is
// pressed, while piped input moves in large blocks. Once the input has
// ended it is never read again: a terminal would otherwise wait once more.
// A read error is reported once, when it happens, and from then on the input
// counts as ended.
class InputReader {
public:
    static constexpr int kEnd = -1;

    // A failed read is reported on `errorStream`, when one is given.
    explicit InputReader(int fd, LineWriter* errorStream = nullptr);

    // The next byte (0 to 255) without consuming it, or kEnd. Waits for
    // input when none is buffered.
    int peek() {
        if (next_ == limit_ && !refill()) {
            return kEnd;
        }
        return static_cast<unsigned char>(buffer_[next_]);
    }

    // Consumes the byte that peek() returned.
    void skip() { ++next_; }

    // True when the input, from the next byte on, starts with `bytes`.
    // Consumes nothing, and waits for no more input than it takes to tell.
    bool nextBytesAre(std::string_view bytes);

    // The encoding a text announces with a mark at its very start, as editors
    // write them: a UTF-8 byte-order mark, or one of UTF-16 ("Unicode").
    enum class TextMark { None, Utf8, Utf16 };
    static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

    // The mark at the next bytes, which must be the first of the input.
    TextMark peekTextMark();

    // Consumes the mark that peekTextMark() found.
    void skipTextMark();

    // How a line taken by takeLine or passLine ended.
    enum class LineEnd {
        Break,    // at its line break
        Input,    // at the end of input, or a read that failed
        Dropped,  // too long for the memory at hand: nothing of it was kept
    };

    // Consumes everything up to and including the next line break and
    // appends it, without the line break, to `sink` when one is given. A line
    // that cannot be held counts as a failed read: it is reported, `sink` is
    // emptied to give its memory back, and the input ends there.
    LineEnd takeLine(std::string* sink);

    // Consumes everything up to and including the next line break, handing
    // the bytes before it to `piece(const char*, std::size_t)` where they
    // stand in the buffer, in as many calls as the buffer takes. Nothing is
    // held, however long the line.
    template <typename Piece>
    LineEnd passLine(Piece&& piece) {
        for (;;) {
            if (next_ == limit_ && !refill()) {
                return LineEnd::Input;
            }
            const char* start = buffer_.get() + next_;
            const std::size_t available = limit_ - next_;
            const auto* lineBreak = static_cast<const char*>(std::memchr(start, '\n', available));
            const std::size_t length =
                lineBreak != nullptr ? static_cast<std::size_t>(lineBreak - start) : available;
            next_ += length;
            if (!piece(start, length)) {
                return LineEnd::Dropped;
            }
            if (lineBreak != nullptr) {
                ++next_;
                return LineEnd::Break;
            }
        }
    }

    // Ends the input as one that cannot be read, for the reason given, which
    // is reported before the usual report of a failed read.
    void failWith(std::string_view reason);

    // True once a read has failed: the input ended for a reason other than
    // its end, and the program must not report success.
    bool readFailed() const { return readFailed_; }

    // The system's error number for the failed read, 0 when there was none.
    int readError() const { return readError_; }

private:
    bool refill();
    void fail();

    int fd_;
    LineWriter* errorStream_;
    bool ended_ = false;
    bool readFailed_ = false;
    int readError_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t next_ = 0;
    std::size_t limit_ = 0;
};
