#include "command_line.hpp"
#include "console_streams.hpp"
#include "line_writer.hpp"
#include "raw_io.hpp"
#include "sorter_texts.hpp"
#include "sorting_run.hpp"
#include "system_conventions.hpp"

namespace text = renumbrix_text;

int main(int argc, char* argv[]) {
    rawio::prepareConsole();
    if (const auto status = answerCommandLine(
            argc, argv, {text::kProgramName, text::kHelp, text::kMoreHelp, text::kMoreHelpOnWindows})) {
        return *status;
    }
    // The files are the product: a terminal or window closed midway must not
    // take them down with it.
    rawio::outliveConsole();
    const bool windowWaits = conventions::consoleClosesWithProgram();

    // Do the work.
    const SortingEnd end = runSorting(ConsoleStreams{});

    // A double-clicked program's window closes as it ends: it waits for a key
    // instead, once the run has closed its files, so that its last words can
    // be read and a second run is not blocked meanwhile. A run refused its
    // files says first that a key will end it.
    if (windowWaits) {
        if (!end.quitHintShown) {
            LineWriter(kStandardError).line(text::kQuitHint);
        }
        conventions::waitForKeyPress();
    }
    return end.status;
}
