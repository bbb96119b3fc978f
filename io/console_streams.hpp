#pragma once

#include "raw_io.hpp"

// The three console streams a program runs over. The real programs bind
// them to the process's standard descriptors; tests bind them elsewhere.
struct ConsoleStreams {
    int input = rawio::kStandardInput;
    int output = rawio::kStandardOutput;
    int error = rawio::kStandardError;
};
