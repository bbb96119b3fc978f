#pragma once

#include <string_view>
#include <vector>

#include "console_streams.hpp"

// tallyrun's block check: reads each file named, as renumbrix would read the
// same bytes from its console, and lists on the output stream every line that
// renumbrix would not take, with the reason, then the count to declare.
// Returns 0 when every block is ready as it stands, 1 when lines were listed,
// and 2 when a file could not be read, which the error stream explains.
int runBlockCheck(const std::vector<std::string_view>& names, const ConsoleStreams& console);
