#pragma once

#include <string>
#include <string_view>

// What each system's users expect of a console program: whether its window
// closes with it, how a key press ends it, how an option is written, and
// where more help is to be read. One implementation per system
// (conventions_posix.cpp, conventions_windows.cpp), chosen by the build.
namespace conventions {

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

// True when console input is typed by a person: a terminal, or a Windows
// console.
bool inputIsTyped();

// True where a person ends typed input with Ctrl+Z, then Enter (Windows),
// false where with Ctrl+D.
bool endsInputWithCtrlZ();

// The folder part of a file's path as the system writes paths: what comes
// before its last separator, "." when there is none.
std::string folderOf(std::string_view path);

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

}  // namespace conventions
