#include "line_writer.hpp"

#include <algorithm>
#include <charconv>

#include "raw_io.hpp"

namespace {

// Pieces longer than this are not copied into the line buffer: a huge input
// line is written straight from where it is held.
constexpr std::size_t kCopiedPieceSize = 16 * 1024;

}  // namespace

LineWriter::LineWriter(int fd, Target target)
    : fd_(fd), target_(target), regularFile_(fd >= 0 && rawio::isRegularFile(fd)) {}

LineWriter& LineWriter::operator<<(std::string_view text) {
    if (text.size() >= kCopiedPieceSize) {
        pieces_.push_back({text.data(), 0, text.size()});
    } else if (!pieces_.empty() && pieces_.back().held == nullptr) {
        pieces_.back().size += text.size();
        pending_.append(text);
    } else {
        pieces_.push_back({nullptr, pending_.size(), text.size()});
        pending_.append(text);
    }
    return *this;
}

LineWriter& LineWriter::operator<<(std::int64_t number) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    return *this << std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
}

void LineWriter::endLine() {
    *this << std::string_view("\n", 1);
    flush();
}

void LineWriter::lines(std::string_view block) {
    while (!block.empty()) {
        const std::size_t end = std::min(block.find('\n'), block.size());
        line(block.substr(0, end));
        block.remove_prefix(std::min(end + 1, block.size()));
    }
}

void LineWriter::flush() {
    views_.clear();
    std::uint64_t size = 0;
    for (const Piece& piece : pieces_) {
        views_.emplace_back(piece.held != nullptr ? piece.held : pending_.data() + piece.offset,
                            piece.size);
        size += piece.size;
    }
    if (!failed_) {
        write(size);
    }
    pending_.clear();
    pieces_.clear();
}

void LineWriter::write(std::uint64_t size) {
    // Each call takes what it can; the rest goes in later calls, unless the
    // program's own file on disk took less than it was given: it has run out
    // of room.
    const bool shortMeansFull = target_ == Target::File && regularFile_;
    if (regularFile_) {
        rawio::holdSignals();
    }
    std::string_view* rest = views_.data();
    std::size_t restCount = views_.size();
    std::uint64_t left = size;
    while (left > 0) {
        const rawio::Transfer transfer = rawio::writeSome(fd_, rest, restCount);
        const std::size_t written = transfer.written;
        if (written == 0 || (shortMeansFull && written < transfer.offered)) {
            failed_ = true;
            break;
        }
        left -= written;
        for (std::size_t skip = written; skip > 0;) {
            const std::size_t taken = std::min(skip, rest->size());
            rest->remove_prefix(taken);
            skip -= taken;
            if (rest->empty()) {
                ++rest;
                --restCount;
            }
        }
    }
    if (target_ == Target::File) {
        if (failed_) {
            rawio::cutFile(fd_, keptBytes_, keptLineBreaks_);
        } else {
            // Every line written here ends with its one line break.
            keptBytes_ += size;
            ++keptLineBreaks_;
        }
    }
    if (regularFile_) {
        rawio::releaseSignals();
    }
}
