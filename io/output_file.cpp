#include "output_file.hpp"

#include "raw_io.hpp"

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        rawio::closeFile(fd_);
    }
}

bool OutputFile::open(const char* name, std::initializer_list<int> mustDiffer) {
    fd_ = rawio::createTextFile(name);
    for (const int other : mustDiffer) {
        if (fd_ >= 0 && rawio::isSameFile(fd_, other)) {
            rawio::closeFile(fd_);
            fd_ = -1;
            break;
        }
    }
    writer_ = LineWriter(fd_);
    return fd_ >= 0;
}

bool OutputFile::close() {
    const bool closed = rawio::closeFile(fd_);
    fd_ = -1;
    return closed && !writer_.failed();
}
