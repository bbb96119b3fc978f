// The line writer over a pipe that is slow to take what it is given.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "common/console_output.hpp"

namespace {

// A non-blocking pipe whose reader takes small pieces with pauses: the writer
// meets both short writes and "not ready", and must still deliver every byte
// in order.
TEST(LineWriter, WaitsForASlowReaderOfANonBlockingPipe) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    fcntl(ends[1], F_SETPIPE_SZ, 4096);
    fcntl(ends[1], F_SETFL, fcntl(ends[1], F_GETFL) | O_NONBLOCK);

    std::string sent;
    for (int n = 0; sent.size() < 200000; ++n) {
        sent += std::to_string(n) + ',';
    }
    std::string received;
    std::thread reader([&] {
        char piece[1000];
        for (ssize_t count; (count = read(ends[0], piece, sizeof piece)) > 0;) {
            received.append(piece, static_cast<std::size_t>(count));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    // One line in three pieces, the middle one far longer than the pipe.
    LineWriter console(ends[1]);
    console.line("<", sent, ">");
    EXPECT_FALSE(console.failed());
    close(ends[1]);
    reader.join();
    close(ends[0]);
    EXPECT_TRUE(received == "<" + sent + ">\n")
        << "received " << received.size() << " of " << sent.size() + 3;
}

}  // namespace
