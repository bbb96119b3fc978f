// The output files a run writes: claimed, emptied, closed and released.

#include "common/console_output.hpp"

OutputFile::~OutputFile() {
    if (fd_ >= 0) {
        sys::closeFile(fd_);
    }
    release();
}

OutputFile::Claim OutputFile::claim(const char* name, std::initializer_list<int> mustDiffer,
                                    const OutputFile* sibling) {
    fd_ = sys::openTextFile(name, notOwn_);
    switch (notOwn_) {
        case sys::NotOwnFile::None:
            break;
        case sys::NotOwnFile::HeldElsewhere:
            return Claim::InUse;
        case sys::NotOwnFile::Refused:
            return Claim::Refused;
        case sys::NotOwnFile::Link:
        case sys::NotOwnFile::Device:
        case sys::NotOwnFile::Socket:
            return Claim::NotOwn;
    }
    bool inUse = !sys::holdExclusively(fd_);
    for (const int other : mustDiffer) {
        inUse = inUse || sys::isSameFile(fd_, other);
    }
    inUse = inUse || (sibling != nullptr && sys::isSameFile(fd_, sibling->fd_));
    const Claim claim = inUse ? Claim::InUse : Claim::Taken;
    if (claim != Claim::Taken) {
        sys::closeFile(fd_);
        fd_ = -1;
    }
    return claim;
}

bool OutputFile::truncate() {
    if (!sys::cutFile(fd_, 0, 0)) {
        sys::closeFile(fd_);
        fd_ = -1;
        return false;
    }
    writer_ = LineWriter(fd_, LineWriter::Target::File);
    return true;
}

bool OutputFile::close() {
    hold_ = sys::duplicate(fd_);
    const bool closed = sys::closeFile(fd_);
    fd_ = -1;
    return closed && !writer_.failed();
}

void OutputFile::release() {
    if (hold_ >= 0) {
        sys::closeFile(hold_);
        hold_ = -1;
    }
}
