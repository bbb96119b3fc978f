#include "raw_io.hpp"
#include "sorting_run.hpp"

int main() {
    rawio::prepareConsole();
    return runSorting(ConsoleStreams{});
}
