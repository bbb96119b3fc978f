#include "command_line.hpp"
#include "raw_io.hpp"
#include "sorter_texts.hpp"
#include "sorting_run.hpp"

int main(int argc, char* argv[]) {
    rawio::prepareConsole();
    if (const auto status = answerCommandLine(
            argc, argv, {text::kProgramName, text::kHelp, text::kMoreHelp, text::kMoreHelpOnWindows})) {
        return *status;
    }
    // The files are the product: a terminal or window closed midway must not
    // take them down with it.
    rawio::outliveConsole();
    // A double-clicked program's window closes as it ends: it waits for a key
    // instead, once the run has closed its files, so its last words can be
    // read and a second run is not blocked meanwhile.
    const bool windowWaits = rawio::consoleClosesWithProgram();
    const int status = runSorting(ConsoleStreams{}, windowWaits);
    if (windowWaits) {
        rawio::waitForKeyPress();
    }
    return status;
}
