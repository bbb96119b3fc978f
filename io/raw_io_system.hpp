#pragma once

#include <cstddef>

// What raw_io.cpp, shared by both systems, needs from each system's file.
namespace rawio {

// One system call moves at most this much, which keeps the count inside the
// types both C runtimes take and return.
constexpr std::size_t kMaxTransfer = 1u << 30;

inline std::size_t clampTransfer(std::size_t size) {
    return size < kMaxTransfer ? size : kMaxTransfer;
}

// Writes some of at most kMaxTransfer bytes, waiting while the descriptor is
// not ready. Returns the count written, more than 0, or 0 when the write
// failed.
std::size_t writeSome(int fd, const char* data, std::size_t size);

}  // namespace rawio
