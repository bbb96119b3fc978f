#pragma once

#include <cstddef>

// Thin wrappers over the C runtime's descriptor calls. On Windows they go
// through the runtime's text mode, which turns CR LF into LF on input and LF
// into CR LF on output; the programs never add or strip a CR themselves.
namespace rawio {

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

// Reads at most `capacity` bytes. Returns the count read, 0 at the end of
// input, or -1 on a read error. Input that is not ready yet (a non-blocking
// descriptor) is waited for, never taken for the end.
long readSome(int fd, char* buffer, std::size_t capacity);

// Writes every byte, retrying short writes. Output that is not ready yet (a
// non-blocking descriptor whose reader is slow) is waited for. False once any
// write fails.
bool writeAll(int fd, const char* data, std::size_t size);

// Opens a file for writing in text mode, creating it when it is missing but
// leaving what it holds, so that nothing is lost before the file is known to
// be usable. The open never waits: a FIFO that nobody reads fails at once. On
// Windows no other program may write the file while it stays open. Returns -1
// on failure.
int openTextFile(const char* name);

// Takes an exclusive hold on a regular file for as long as the descriptor is
// open, without waiting. False only when someone else holds it already; a file
// system that cannot hold locks at all, or a file that is no regular file,
// lets the caller go on.
bool holdExclusively(int fd);

// Empties a regular file opened by openTextFile; a device or FIFO has nothing
// to empty. False when the file could not be emptied.
bool emptyFile(int fd);

// True when both descriptors lead to the same regular file, so that writing
// through one would overwrite or interleave with what the other writes.
bool isSameFile(int first, int second);

// Closes a descriptor. False when the system reports that data was lost.
bool closeFile(int fd);

// Makes the process safe to run with closed standard streams or a vanished
// console reader: a missing standard descriptor is bound to the null device,
// so a file created later can never take its number, and a write to a closed
// pipe or past a file-size limit returns an error instead of ending the
// process.
void prepareConsole();

}  // namespace rawio
