#pragma once

#include "line_writer.hpp"

// A text file created (or emptied) in the current directory and written
// line by line. It is closed explicitly by close(); a file still open when
// the object goes away is closed then, which loses nothing because every
// line has already been handed to the system.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates or truncates the file. False when it cannot be created.
    bool open(const char* name);

    LineWriter& writer() { return writer_; }

    // Closes the file. False when any write to it, or the close, failed.
    bool close();

private:
    int fd_ = -1;
    LineWriter writer_{-1};
};
