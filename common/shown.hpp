#pragma once

// Text from outside the program shown on the console: a file's lines, a
// file's name, an argument. Any of them may come from a stranger's download,
// so nothing in them may act on the terminal that shows them. Every such text
// is written through writeShown, the one place that decides what is shown as
// it is and what by a visible name.

#include <string_view>

#include "common/console_output.hpp"

// Writes `bytes` so that none of them acts on a terminal. Shown by name: the
// control bytes but the tab (<ESC>, <CR>), DEL, a UTF-8 byte-order mark
// (<BOM>), the C1 controls and the bidirectional controls written as UTF-8
// (<U+009B>, <U+202E>), and a byte 0x80 to 0x9F that is no part of a UTF-8
// character (<0x9B>) where the system shows such bytes as they are. Letters
// of every script, and every other byte, are written as they are.
void writeShown(LineWriter& out, std::string_view bytes);

// True when writeShown would show any of `bytes` by a name.
bool needsNames(std::string_view bytes);

// The character of `bytes` that starts at `at`, as writeShown takes it: a
// well-formed UTF-8 character whole, any other byte alone.
std::string_view characterAt(std::string_view bytes, std::size_t at);
