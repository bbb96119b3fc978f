#pragma once

// The three console streams a program runs over. The real programs bind
// them to the process's standard descriptors; tests bind them elsewhere.
constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

struct ConsoleStreams {
    int input = kStandardInput;
    int output = kStandardOutput;
    int error = kStandardError;
};
