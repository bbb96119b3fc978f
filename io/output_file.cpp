#include "output_file.hpp"

#include "raw_io.hpp"

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        rawio::closeFile(fd_);
    }
}

bool OutputFile::open(const char* name, std::initializer_list<int> mustDiffer) {
    fd_ = rawio::openTextFile(name);
    // The file is emptied only once it is known to be this run's alone: one
    // held by another run, or one the console reads or writes, keeps what it
    // holds.
    bool usable = fd_ >= 0 && rawio::holdExclusively(fd_);
    for (const int other : mustDiffer) {
        usable = usable && !rawio::isSameFile(fd_, other);
    }
    usable = usable && rawio::emptyFile(fd_);
    if (!usable && fd_ >= 0) {
        rawio::closeFile(fd_);
        fd_ = -1;
    }
    writer_ = LineWriter(fd_);
    return fd_ >= 0;
}

bool OutputFile::close() {
    const bool closed = rawio::closeFile(fd_);
    fd_ = -1;
    return closed && !writer_.failed();
}
