#include <string_view>
#include <vector>

#include "block_check.hpp"
#include "command_line.hpp"
#include "console_streams.hpp"
#include "counter_texts.hpp"
#include "line_counter.hpp"
#include "line_writer.hpp"
#include "raw_io.hpp"
#include "system_conventions.hpp"

namespace text = tallyrun_text;

int main(int argc, char* argv[]) {
    rawio::prepareConsole();
    if (const auto status = answerCommandLine(
            argc, argv, {text::kProgramName, text::kHelp, text::kMoreHelp, text::kMoreHelpOnWindows})) {
        return *status;
    }
    const bool windowWaits = conventions::consoleClosesWithProgram();

    // Do the work: files named on the command line (or dropped on the
    // program) are checked; without any, the lines typed or pasted are
    // counted.
    const std::vector<std::string_view> files(argv + 1, argv + argc);
    const int status = files.empty() ? runLineCounter(ConsoleStreams{})
                                     : runBlockCheck(files, ConsoleStreams{});

    // A double-clicked program's window closes as it ends, taking the count
    // or the check with it, unless it waits for a key.
    if (windowWaits) {
        LineWriter(kStandardError).line(text::kPressKey);
        conventions::waitForKeyPress();
    }
    return status;
}
