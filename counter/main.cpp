#include "command_line.hpp"
#include "console_streams.hpp"
#include "counter_texts.hpp"
#include "line_writer.hpp"
#include "raw_io.hpp"
#include "system_conventions.hpp"
#include "tally.hpp"

namespace text = tallyrun_text;

int main(int argc, char* argv[]) {
    const rawio::MissingStreams missing = rawio::prepareConsole();
    const bool windowWaits = conventions::consoleClosesWithProgram();
    const CommandLine line = readCommandLine(
        argc, argv,
        {text::kProgramName, text::kHelp, text::kMoreHelp, text::kMoreHelpOnWindows, kExitTrouble,
         true},
        missing);

    // Do the work: files named on the command line (or dropped on the
    // program) are checked; without any, the lines typed or pasted are
    // counted.
    int status;
    if (line.answered) {
        status = *line.answered;
    } else if (line.operands.empty()) {
        status = runLineCounter(ConsoleStreams{});
    } else {
        status = runBlockCheck(line.operands, ConsoleStreams{});
    }

    // A double-clicked program's window closes as it ends, taking the count
    // or the check with it, unless it waits for a key.
    if (windowWaits) {
        LineWriter(kStandardError).line(text::kPressKey);
        conventions::waitForKeyPress();
    }
    return status;
}
