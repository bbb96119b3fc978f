#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The descriptor calls both programs make, and the set-up of the standard
// descriptors they rest on: one implementation per system (raw_io_posix.cpp,
// raw_io_windows.cpp), chosen by the build. On
// Windows they go through the runtime's text mode, which turns CR LF into LF
// on input and LF into CR LF on output; the programs never add or strip a CR
// themselves.
//
// What every implementation promises:
// - A call interrupted by a signal is made again; it never fails for that.
// - A descriptor that is not ready (left in non-blocking mode by whoever
//   started the program) is waited for, as a blocking one would be, never
//   taken for the end of input or for a failed write.
// - Only regular files on disk can be "the same file"; consoles, pipes and
//   devices serve any number of users and never match.
// - A file opened here is closed once; the close reports lost data, never an
//   interruption.
namespace rawio {

// One read or write moves at most this much, which keeps the count inside the
// types both C runtimes take and return.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

// Reads at most `capacity` bytes. Returns the count read, 0 at the end of
// input, or -1 on a read error. A terminal that has hung up (its window
// closed) has ended, not failed.
long readSome(int fd, char* buffer, std::size_t capacity);

// Writes the pieces, in order, with one system call: at most kMaxTransfer
// bytes of them. Returns the count written, which may be short, or 0 when the
// write failed.
std::size_t writeSome(int fd, const std::string_view* pieces, std::size_t count);

// Opens a file for reading in text mode, as console input is read. Returns -1
// on failure, with errno telling why.
int openInputFile(const char* name);

// Opens a file for writing in text mode, creating it when it is missing but
// leaving what it holds, so that nothing is lost before the file is known to
// be usable. The open never waits: a FIFO that nobody reads fails at once. On
// Windows no other program may write the file while it stays open. Returns -1
// on failure, with `heldElsewhere` telling whether another program's hold on
// the file was the reason.
int openTextFile(const char* name, bool& heldElsewhere);

// Takes an exclusive hold on a regular file, without waiting, for as long as
// the descriptor or a duplicate of it stays open. Other programs see it as a
// whole-file lock of either kind, flock or fcntl (lockf). False only when
// someone else holds the file already; a file system that cannot hold locks
// at all, or a file that is no regular file, lets the caller go on.
bool holdExclusively(int fd);

// A second descriptor for the same open file, which keeps its hold when the
// first is closed; -1 when there is none to be had.
int duplicate(int fd);

// Cuts a regular file opened by openTextFile back to its first `bytes` bytes
// as written through writeSome, `lineBreaks` of them line breaks (which text
// mode stores as two bytes on Windows). A device or FIFO has nothing to cut.
// False when the file could not be cut.
bool cutFile(int fd, std::uint64_t bytes, std::uint64_t lineBreaks);

// True when both descriptors lead to the same regular file, so that writing
// through one would overwrite or interleave with what the other reads or
// writes.
bool isSameFile(int first, int second);

// Closes a descriptor. False when the system reports that data was lost.
bool closeFile(int fd);

// Makes the process safe to run with closed standard streams or a vanished
// console reader: a missing standard descriptor is bound to the null device,
// so a file created later can never take its number, and a write to a closed
// pipe or past a file-size limit returns an error instead of ending the
// process.
void prepareConsole();

// Lets the process finish its work when its terminal or console window is
// closed: there is no hangup signal to end it, and input from that console
// counts as ended. On Windows the system then allows a few seconds before it
// ends the process.
void outliveConsole();

}  // namespace rawio
