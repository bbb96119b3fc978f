#include "line_counter.hpp"
#include "raw_io.hpp"

int main() {
    rawio::prepareConsole();
    return runLineCounter(ConsoleStreams{});
}
