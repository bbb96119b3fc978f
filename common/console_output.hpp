#pragma once

// The console output half of the console I/O module (console_input.hpp is
// the other): the line writer, for the console and for files, and the files
// a run writes.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "common/system.hpp"

// Writes text line by line to a descriptor. Every line is handed to the
// system as soon as it ends, in one system call, so a person at the console
// sees it before the program waits, and a file holds every line written so
// far, whole, even if the process is killed by any signal it can catch: such
// a signal waits until the line being written to a file (or a FIFO) is
// complete.
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

    explicit LineWriter(int fd, Target target = Target::Console)
        : fd_(fd),
          target_(target),
          regularFile_(fd >= 0 && sys::isRegularFile(fd)),
          console_(fd >= 0 && !regularFile_ && sys::isConsole(fd)),
          holdsSignals_(target == Target::File || regularFile_) {}

    LineWriter& operator<<(std::string_view text) {
        // A long piece is given exactly the room it needs with the line
        // break, not twice that.
        if (line_.size() + text.size() >= line_.capacity()) {
            line_.reserve(line_.size() + text.size() + 1);
        }
        line_.append(text);
        return *this;
    }

    LineWriter& operator<<(std::int64_t number) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, number);
        return *this << std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
    }

    // Writes the pieces given, then ends the line.
    template <typename... Pieces>
    void line(const Pieces&... pieces) {
        ((*this << pieces), ...);
        endLine();
    }

    // Ends the line: a line break, and the line handed to the system.
    void endLine() {
        line_.push_back('\n');
        if (!failed_) {
            write();
        }
        line_.clear();
        // The room a huge line took is given back, not kept for small ones.
        if (line_.capacity() > kKeptCapacity) {
            std::string().swap(line_);
        }
    }

    // Writes the pieces over the line the cursor of a console stands on,
    // from its start, without ending it: a line of progress, written over in
    // place by the next. endLine() ends it.
    template <typename... Pieces>
    void overwrite(const Pieces&... pieces) {
        line_.push_back('\r');
        ((*this << pieces), ...);
        if (!failed_) {
            write();
        }
        line_.clear();
    }

    // Writes a block of lines, each ended by '\n' in `block`, one by one.
    void lines(std::string_view block) {
        while (!block.empty()) {
            const std::size_t end = std::min(block.find('\n'), block.size());
            line(block.substr(0, end));
            block.remove_prefix(std::min(end + 1, block.size()));
        }
    }

    // True once any write to the descriptor has failed.
    bool failed() const { return failed_; }

private:
    static constexpr std::size_t kKeptCapacity = std::size_t{1} << 20;

    // Each call takes what it can; the rest goes in later calls, unless the
    // program's own file on disk took less than it was given: it has run out
    // of room.
    void write() {
        const bool shortMeansFull = target_ == Target::File && regularFile_;
        if (holdsSignals_) {
            sys::holdSignals();
        }
        std::string_view rest = line_;
        while (!rest.empty()) {
            const sys::Transfer transfer = sys::writeSome(fd_, rest.data(), rest.size(), console_);
            if (transfer.written == 0 || (shortMeansFull && transfer.written < transfer.offered)) {
                failed_ = true;
                break;
            }
            rest.remove_prefix(transfer.written);
        }
        if (target_ == Target::File) {
            if (failed_) {
                sys::cutFile(fd_, keptBytes_, keptLineBreaks_);
            } else {
                // Every line written here ends with its one line break.
                keptBytes_ += line_.size();
                ++keptLineBreaks_;
            }
        }
        if (holdsSignals_) {
            sys::releaseSignals();
        }
    }

    int fd_;
    Target target_;
    bool regularFile_;
    bool console_;  // asked once, not at every line: under Wine a question costs a server call
    // The program's own files, FIFOs among them, and a console stream sent
    // into a file on disk, never get half a line from a signal; a console
    // stream that a person reads is not held, so that Ctrl+C at a question
    // ends the program at once.
    bool holdsSignals_;
    bool failed_ = false;
    std::string line_;
    // The bytes and line breaks of the complete lines written so far.
    std::uint64_t keptBytes_ = 0;
    std::uint64_t keptLineBreaks_ = 0;
};

// A text file in the current directory, written line by line. A run first
// claims its files, which changes nothing in them, and truncates them only
// once all of them are its own; it then holds them against other runs until
// the last of them is closed.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // How a claim went.
    enum class Claim {
        Taken,    // the file is this run's, still holding what it held
        InUse,    // another run or program holds it, or it is the same as another
        Refused,  // it cannot be created
        NotOwn,   // a link, a device or a socket, left untouched: see notOwn()
    };

    // Opens the file, creating it when it is missing, and takes the hold. A
    // file that is the same as one of `mustDiffer` (the console redirected
    // into or out of it, say) or as `sibling` (a file this run claimed
    // before) is in use already, since two users would corrupt each other. A
    // file not taken is closed again, keeping exactly what it held.
    Claim claim(const char* name, std::initializer_list<int> mustDiffer,
                const OutputFile* sibling = nullptr);

    // Empties a claimed file. False when it cannot be emptied: it is then
    // closed again.
    bool truncate();

    LineWriter& writer() { return writer_; }

    // Closes the file. False when any write to it, or the close, failed. The
    // hold stays until release(), so that a run can keep all its files
    // until the last of them is closed.
    bool close();

    // Gives up the hold on a closed file.
    void release();

    // What the name led to when the claim found it no file of the run's own.
    sys::NotOwnFile notOwn() const { return notOwn_; }

private:
    int fd_ = -1;
    sys::NotOwnFile notOwn_ = sys::NotOwnFile::None;
    int hold_ = -1;
    LineWriter writer_{-1};
};
