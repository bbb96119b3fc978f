#include "output_file.hpp"

#include "raw_io.hpp"

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        rawio::closeFile(fd_);
    }
    release();
}

OutputFile::Claim OutputFile::claim(const char* name, std::initializer_list<int> mustDiffer,
                                    const OutputFile* sibling) {
    bool heldElsewhere = false;
    fd_ = rawio::openTextFile(name, heldElsewhere);
    if (fd_ < 0) {
        return heldElsewhere ? Claim::InUse : Claim::Refused;
    }
    bool inUse = !rawio::holdExclusively(fd_);
    for (const int other : mustDiffer) {
        inUse = inUse || rawio::isSameFile(fd_, other);
    }
    inUse = inUse || (sibling != nullptr && rawio::isSameFile(fd_, sibling->fd_));
    const Claim claim = inUse ? Claim::InUse : Claim::Taken;
    if (claim != Claim::Taken) {
        rawio::closeFile(fd_);
        fd_ = -1;
    }
    return claim;
}

bool OutputFile::empty() {
    if (!rawio::cutFile(fd_, 0, 0)) {
        rawio::closeFile(fd_);
        fd_ = -1;
        return false;
    }
    writer_ = LineWriter(fd_, LineWriter::Target::File);
    return true;
}

bool OutputFile::close() {
    hold_ = rawio::duplicate(fd_);
    const bool closed = rawio::closeFile(fd_);
    fd_ = -1;
    return closed && !writer_.failed();
}

void OutputFile::release() {
    if (hold_ >= 0) {
        rawio::closeFile(hold_);
        hold_ = -1;
    }
}
