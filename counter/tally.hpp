#pragma once

#include <string_view>
#include <vector>

#include "console_streams.hpp"

// tallyrun's two jobs over the console streams, each returning the process's
// exit status.

// The exit statuses: a block ready as it stands (or a count that reached the
// end of its input), lines listed, and trouble: a file that cannot be read,
// output that cannot be written, or a command line that cannot be followed.
constexpr int kExitReady = 0;
constexpr int kExitListed = 1;
constexpr int kExitTrouble = 2;

// The count of typed or pasted lines: the banner, then a running total after
// every line of console input, with a note on each line renumbrix would not
// take, and at the end the count to declare. Status 1 when input cannot be
// read or a total cannot be written.
int runLineCounter(const ConsoleStreams& console);

// The block check of each file named ("-" is console input): every line that
// renumbrix would not take, with the reason, then the count to declare.
int runBlockCheck(const std::vector<std::string_view>& names, const ConsoleStreams& console);
