#pragma once

#include <initializer_list>

#include "line_writer.hpp"

// A text file created (or emptied) in the current directory and written
// line by line, held by this process alone while it is open. It is closed explicitly by close(); a file still open when
// the object goes away is closed then, which loses nothing because every
// line has already been handed to the system.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates or empties the file. False when it cannot be created, when
    // another process holds it (a second run in the same folder), or when it
    // turns out to be the same file as one of `mustDiffer` (the console
    // redirected into or out of it, say): the file is then closed again,
    // keeping exactly what it held, since two users would corrupt each other.
    bool open(const char* name, std::initializer_list<int> mustDiffer);

    int descriptor() const { return fd_; }

    LineWriter& writer() { return writer_; }

    // Closes the file. False when any write to it, or the close, failed.
    bool close();

private:
    int fd_ = -1;
    LineWriter writer_{-1};
};
