#include "raw_io.hpp"

#include "raw_io_system.hpp"

namespace rawio {

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const std::size_t written = writeSome(fd, data, clampTransfer(size));
        if (written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace rawio
