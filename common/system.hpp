#pragma once

// Everything both programs ask of the operating system: the descriptor
// calls, the signals, and what each system's users expect of a console
// program (its window, its options, its paths). One implementation per system
// (system_posix.cpp, system_windows.cpp), chosen by the build. On Windows
// reads and writes go through the runtime's text mode, which turns CR LF into
// LF on input and LF into CR LF on output; the programs never add or strip a
// CR themselves. Names are UTF-8 inside the programs on every system; on
// Windows they reach the system as UTF-16, and text written to a console
// reaches it as characters.
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

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sys {

// --- Starting up.

// Which standard streams the program was started without.
struct MissingStreams {
    bool input = false;
    bool output = false;
    bool error = false;
};

// Makes the process safe to run with closed standard streams or a vanished
// console reader: a missing standard descriptor is bound to the null device,
// so a file created later can never take its number, and a write to a closed
// pipe or past a file-size limit returns an error instead of ending the
// process. Sets up the hold of holdSignals(). Returns the streams that were
// missing, whose output went nowhere.
MissingStreams prepareConsole();

// Lets the process finish its work when its terminal or console window is
// closed: there is no hangup signal to end it, and input from that console
// counts as ended. On Windows the system then allows a few seconds before it
// ends the process.
void outliveConsole();

// --- Reading and writing.

// One read or write moves at most this much, which keeps the count inside the
// types both C runtimes take and return.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

// Reads at most `capacity` bytes. Returns the count read, 0 at the end of
// input, or -1 on a read error. A terminal that has hung up (its window
// closed) has ended, not failed.
long readSome(int fd, char* buffer, std::size_t capacity);

// What one write call did: the bytes it offered the system (at most
// kMaxTransfer), and the bytes the system took, which may be fewer; 0 taken
// means the write failed.
struct Transfer {
    std::size_t offered;
    std::size_t written;
};

// Writes the bytes given with one system call. `toConsole` says that the
// descriptor is a console (isConsole), which Windows is given characters, not
// bytes; the caller asks once, not at every write.
Transfer writeSome(int fd, const char* bytes, std::size_t size, bool toConsole);

// True for a regular file on disk: the only kind of output that can be full,
// and the only kind whose lines must never be cut by a signal.
bool isRegularFile(int fd);

// Brackets the writing of one line to a file. A signal or console event
// that would end the program (Ctrl+C, a kill, a hangup, a timer, any signal
// whose default is to end it, unless it was ignored at start) and arrives in
// between is held back until the whole line is written, then ends the
// program as it would have at once; at any other moment it ends the program
// at once, as usual. Costs no system call.
void holdSignals();
void releaseSignals();

// --- Files.

// Opens a file for reading in text mode, as console input is read. The open
// never waits: a FIFO without a writer opens at once, and reads as ended.
// Returns -1 on failure, with errno telling why (EISDIR for a folder, on
// every system).
int openInputFile(const char* name);

// Moves a file opened by openInputFile back to its start, so that it can be
// read a second time. False when it cannot be (a pipe, a terminal).
bool rewindFile(int fd);

// What identifies one state of one file: which file it is, its size, and
// when its content and its entry last changed (the change time, which no
// program can set back). When a file is read twice, a different stamp the
// second time means it was changed in between; a name whose stamp differs
// from that of the open file now leads to another file (saved anew).
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t modifiedFraction = 0;
    std::int64_t changed = 0;
    std::int64_t changedFraction = 0;
};
bool stampFile(int fd, FileStamp& stamp);
bool stampPath(const char* name, FileStamp& stamp);
inline bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.device == b.device && a.file == b.file && a.size == b.size &&
           a.modified == b.modified && a.modifiedFraction == b.modifiedFraction &&
           a.changed == b.changed && a.changedFraction == b.changedFraction;
}
inline bool operator!=(const FileStamp& a, const FileStamp& b) {
    return !(a == b);
}

// What keeps a name from being opened as a file of the program's own.
enum class NotOwnFile {
    None,
    Refused,        // the system refuses: no right, no room, a folder of that name
    HeldElsewhere,  // another program holds it, or it is a FIFO that nobody reads
    Link,           // a symbolic link (on Windows any reparse point), never followed, or a
                    // file with more names than this one, any of them elsewhere
    Device,         // a device: a terminal, the null device, a disk
    Socket,
};

// Opens a file of the program's own for writing in text mode, creating it
// when it is missing but leaving what it holds, so that nothing is lost
// before the file is known to be usable. Only a regular file or a FIFO is
// opened: a link is not followed, even to a file, and a device or socket is
// left untouched, since a downloaded folder may hold any of them under the
// name. The open never waits: a FIFO that nobody reads fails at once, as
// held by whoever may open it for reading later. On Windows no other program
// may write the file while it stays open. Returns -1 on failure, with `why`
// telling the reason.
int openTextFile(const char* name, NotOwnFile& why);

// What stands under the name now, without opening it: None for nothing, a
// regular file of one name, a FIFO or a folder (which the open then
// refuses); else why it is no file of the program's own.
NotOwnFile lookAtEntry(const char* name);

// True when something of that name exists in the folder, in any form: a
// file, a folder, a link (even one that leads nowhere).
bool nameExists(const char* name);

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

// --- Folders and paths.

// Makes the current folder the one given. False when it cannot be entered.
bool changeFolder(const char* path);

// The current folder's full path, as the system names it; empty when the
// system cannot tell.
std::string currentFolder();

// The folder part of a file's path as the system writes paths: what comes
// before its last separator, "." when there is none.
std::string folderOf(std::string_view path);

// The file's own name within that folder: what comes after the separator.
std::string nameInFolder(std::string_view path);

// The path from the root, for a path that may be relative to the current
// folder; the path as given when the current folder cannot be told.
std::string absolutePath(std::string_view path);

// A path to `name` inside `folder`, joined by the system's separator.
std::string joinPath(std::string_view folder, std::string_view name);

// True when the path leads to a folder (through a link, for a folder named on
// the command line).
bool isFolder(const char* path);

// One entry of a folder: its name, and what it is. A link to a folder is
// neither file nor folder: it is never followed, so that no folder is read
// twice or for ever. A device, FIFO or socket, or a link to one, is no file
// on disk: it is never opened.
struct FolderEntry {
    enum class Kind { File, NotOnDisk, Folder, Other };
    std::string name;
    Kind kind;
};

// The entries of a folder, without "." and "..", in no order. False, with
// errno set, when the folder cannot be read.
bool listFolder(const char* path, std::vector<FolderEntry>& entries);

// --- The console window and the command line.

// The program's arguments, its name first, as UTF-8 on Windows, where the
// system holds them as UTF-16 and `argv` only in the user's code page, and
// as the bytes given elsewhere.
std::vector<std::string> commandLineArguments(int argc, char* argv[]);

// True when `argument` has the form of an option on this system: it starts
// with '-', or on Windows with '/' as well. Elsewhere "/x" is a path.
bool looksLikeOption(std::string_view argument);

// True when `argument` asks for help the way the system's own commands take
// it: "/?" on Windows. Elsewhere "/?" is an ordinary argument (a path).
bool isSystemHelpSwitch(std::string_view argument);

// True where the programs come as a download with a ReadMe beside them
// (Windows), false where they are installed with manual pages.
bool comesWithReadMe();

// True where a user has a POSIX shell to paste a command into; Windows users
// have cmd, which reads no such command.
bool hasPosixShell();

// True when the descriptor is a console a person types at or reads: a
// terminal, or a Windows console.
bool isConsole(int fd);

// True where bytes 0x80 to 0x9F that are no part of a UTF-8 character are
// letters of the user's code page (Windows, whose "ANSI" files hold them),
// not controls a terminal would act on.
bool showsStrayBytesAsCodePage();

// True where a person ends typed input with Ctrl+Z, then Enter (Windows),
// false where with Ctrl+D.
bool endsInputWithCtrlZ();

// True when the program's console window closes the moment it ends, so that
// its last messages would vanish unread: on Windows, when standard input is a
// console that no other process shares (the program was double-clicked, or a
// file dropped on it). Never on other systems, nor for piped or redirected
// input.
bool consoleClosesWithProgram();

// Discards whatever waits in the console's input (surplus pasted lines), then
// waits for one new key press. Only for a console that closes with the
// program.
void waitForKeyPress();

}  // namespace sys
