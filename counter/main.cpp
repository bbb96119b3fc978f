#include <string>
#include <string_view>
#include <vector>

#include "common/command_line.hpp"
#include "common/console_input.hpp"
#include "common/console_output.hpp"
#include "common/system.hpp"
#include "counter/counter_texts.hpp"

namespace text = tallyrun_text;

// tallyrun's two jobs, in tally.cpp, each returning the process's exit
// status. The count of typed or pasted lines: the banner, then a running
// total after every line of console input, with a note on each line
// renumbrix would not take, and at the end the count to declare; 1 when input
// cannot be read or a total cannot be written. And the block check of each
// file named ("-" is console input): every line renumbrix would not take,
// with the reason, then the count to declare; 0 when every block is ready,
// 1 when lines were listed, 2 when a file cannot be read or the result
// cannot be written.
int runLineCounter(const ConsoleStreams& console);
int runBlockCheck(const std::vector<std::string_view>& names, const ConsoleStreams& console);

int main(int argc, char* argv[]) {
    const sys::MissingStreams missing = sys::prepareConsole();
    const bool windowWaits = sys::consoleClosesWithProgram();
    const std::vector<std::string> arguments = sys::commandLineArguments(argc, argv);
    const CommandLine line = readCommandLine(
        arguments,
        {text::kProgramName, text::kHelp, text::kMoreHelp, text::kMoreHelpOnWindows,
         text::kExitUsage, true},
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
        sys::waitForKeyPress();
    }
    return status;
}
