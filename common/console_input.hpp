#pragma once

// The console input half of the console I/O module (console_output.hpp is
// the other): the three console streams a program runs over, and the
// block-buffered reader of its input.

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "common/system.hpp"

// The real programs bind the console streams to the process's standard
// descriptors; tests bind them elsewhere.
constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

struct ConsoleStreams {
    int input = kStandardInput;
    int output = kStandardOutput;
    int error = kStandardError;
};

// Reads input through a block buffer. A read takes whatever the system has
// ready, so a typed line is available as soon as Enter is pressed, while
// piped input moves in large blocks. Once the input has ended it is never
// read again: a terminal would otherwise wait once more. A read that fails
// ends the input too, and is kept for the program to report.
class InputReader {
public:
    static constexpr int kEnd = -1;

    // What a reader has read: how many bytes, and a digest of them that does
    // not depend on how the reads fell. Two readings of a file that differ
    // in a byte differ here.
    struct Digest {
        std::uint64_t bytes = 0;
        std::uint64_t hash = kDigestStart;
        bool operator==(const Digest& other) const {
            return bytes == other.bytes && hash == other.hash;
        }
        bool operator!=(const Digest& other) const { return !(*this == other); }
    };

    // With `digested`, every byte read is taken into digest().
    explicit InputReader(int fd, bool digested = false)
        : fd_(fd), digested_(digested), buffer_(new char[kBufferSize]) {}

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
    bool nextBytesAre(std::string_view bytes) {
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

    // Up to `count` of the next bytes without consuming them: fewer where a
    // line break or the end of input comes first, so that a typed line is
    // looked at as soon as Enter is pressed. The view holds until the next
    // read.
    std::string_view aheadInLine(std::size_t count) {
        for (;;) {
            const std::size_t available = limit_ - next_;
            const char* start = buffer_.get() + next_;
            const auto* lineBreak =
                static_cast<const char*>(std::memchr(start, '\n', std::min(available, count)));
            if (lineBreak != nullptr) {
                return {start, static_cast<std::size_t>(lineBreak - start)};
            }
            if (available >= count || !refill()) {
                return {buffer_.get() + next_, std::min(count, limit_ - next_)};
            }
        }
    }

    // Consumes `count` bytes that nextBytesAre() has seen.
    void skipBytes(std::size_t count) { next_ += count; }

    // True while nothing of the input has been consumed.
    bool atStart() const { return passed_ + next_ == 0; }

    // How a line taken by takeLine or passLine ended.
    enum class LineEnd {
        Break,    // at its line break
        Input,    // at the end of input, or a read that failed
        Dropped,  // too long for the memory at hand: nothing of it was kept
    };

    // Consumes everything up to and including the next line break, handing
    // the bytes before it to `piece(const char*, std::size_t)` where they
    // stand in the buffer, in as many calls as the buffer takes; a piece that
    // returns false drops the line. Nothing is held, however long the line.
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

    // Consumes everything up to and including the next line break and
    // appends it, without the line break, to `sink`. A line that cannot be
    // held counts as a failed read: `sink` is emptied to give its memory
    // back, and the input ends there.
    LineEnd takeLine(std::string& sink) {
        const LineEnd end = passLine([&](const char* piece, std::size_t length) {
            // The standard string reports a growth it cannot make by
            // throwing; here that is input the program cannot take.
            try {
                sink.append(piece, length);
                return true;
            } catch (const std::exception&) {  // std::bad_alloc or std::length_error
                return false;
            }
        });
        if (end == LineEnd::Dropped) {
            std::string().swap(sink);
            fail(ENOMEM);
        }
        return end;
    }

    // Consumes everything up to and including the next line break.
    LineEnd skipLine() {
        return passLine([](const char*, std::size_t) { return true; });
    }

    // True once nothing more is to be read: the input has been read to its
    // end, or failed, or reading was stopped.
    bool stopped() const { return stopped_ || (ended_ && next_ == limit_); }

    // Stops all further reading: what follows is not to be taken.
    void stop() { stopped_ = true; }

    // Ends the input as one that cannot be read, for the reason given (an
    // errno value; EILSEQ for text in an encoding that cannot be read).
    void fail(int error) {
        ended_ = readFailed_ = stopped_ = true;
        readError_ = error;
        passed_ += limit_;
        next_ = limit_ = 0;
    }

    // True once a read has failed: the input ended for a reason other than
    // its end, and the program must not report success.
    bool readFailed() const { return readFailed_; }

    // The system's error number for the failed read, 0 when there was none.
    int readError() const { return readError_; }

    // The bytes read so far, for a reader made `digested`.
    Digest digest() const { return {passed_ + limit_, hash_}; }

    // Reads the input to its end, taking nothing: the digest then covers all
    // of it.
    void readToEnd() {
        while (peek() != kEnd) {
            next_ = limit_;
        }
    }

    // True the first time it is asked after a read has failed, so that the
    // failure is reported once, when it happens.
    bool failureToReport() {
        const bool report = readFailed_ && !failureReported_;
        failureReported_ = failureReported_ || readFailed_;
        return report;
    }

private:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    // Reads more input behind what is still buffered.
    bool refill() {
        if (ended_) {
            return false;
        }
        std::memmove(buffer_.get(), buffer_.get() + next_, limit_ - next_);
        passed_ += next_;
        limit_ -= next_;
        next_ = 0;
        const long count = sys::readSome(fd_, buffer_.get() + limit_, kBufferSize - limit_);
        if (count <= 0) {
            ended_ = true;
            if (count < 0) {
                fail(errno);
            }
            return false;
        }
        if (digested_) {
            // FNV-1a, byte by byte, so that it is the same however the
            // reads fall.
            for (const char* byte = buffer_.get() + limit_; byte != buffer_.get() + limit_ + count;
                 ++byte) {
                hash_ = (hash_ ^ static_cast<unsigned char>(*byte)) * kDigestPrime;
            }
        }
        limit_ += static_cast<std::size_t>(count);
        return true;
    }

    static constexpr std::uint64_t kDigestStart = 0xcbf29ce484222325;
    static constexpr std::uint64_t kDigestPrime = 0x100000001b3;

    int fd_;
    bool digested_;
    std::uint64_t hash_ = kDigestStart;
    bool ended_ = false;
    bool stopped_ = false;
    bool readFailed_ = false;
    bool failureReported_ = false;
    int readError_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::uint64_t passed_ = 0;  // bytes consumed before the buffer's start
    std::size_t next_ = 0;
    std::size_t limit_ = 0;
};

// The current line of an input as a source for the ID rule (id_rule.hpp): it
// gives the bytes of the line with peek() and consumes them with skip(), and
// ends at the line break, which it leaves unread. `Watch`, called with every
// byte consumed, lets a caller note what the rule passed over.
struct IgnoreBytes {
    void operator()(char) const {}
};

template <typename Watch = IgnoreBytes>
class LineSource {
public:
    explicit LineSource(InputReader& input, Watch watch = {}) : input_(input), watch_(watch) {}

    int peek() {
        peeked_ = input_.peek();
        return peeked_ == '\n' ? InputReader::kEnd : peeked_;
    }

    // The rule always looks at a byte before it consumes it.
    void skip() {
        watch_(static_cast<char>(peeked_));
        input_.skip();
    }

private:
    InputReader& input_;
    Watch watch_;
    int peeked_ = InputReader::kEnd;
};
