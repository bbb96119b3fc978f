#pragma once

#include <initializer_list>

#include "line_writer.hpp"

// A text file in the current directory, written line by line. A run first
// claims its files, which changes nothing in them, and empties them only once
// all of them are its own; it then holds them against other runs until the
// last of them is closed.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // How a claim went.
    enum class Claim {
        Taken,    // the file is this run's, still holding what it held
        InUse,    // another run or program holds it, or it is the same as another
        Refused,  // it cannot be created
    };

    // Opens the file, creating it when it is missing, and takes the hold. A
    // file that is the same as one of `mustDiffer` (the console redirected
    // into or out of it, say) or as `sibling` (a file this run claimed
    // before) is in use already, since two users would corrupt each other. A
    // file not taken is closed again, keeping exactly what it held.
    Claim claim(const char* name, std::initializer_list<int> mustDiffer,
                const OutputFile* sibling = nullptr);

    // Empties a claimed file. False when it cannot be emptied: it is then
    // closed again.
    bool empty();

    LineWriter& writer() { return writer_; }

    // Closes the file. False when any write to it, or the close, failed. The
    // hold stays until release(), so that a run can keep all its files
    // until the last of them is closed.
    bool close();

    // Gives up the hold on a closed file.
    void release();

private:
    int fd_ = -1;
    int hold_ = -1;
    LineWriter writer_{-1};
};
