// renumbrix: reads its command line, then runs the block file it names (with
// the game's folder, if given) or the dialogue on the console, and waits for
// a key where its window would close with it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_line.hpp"
#include "common/console_input.hpp"
#include "common/console_output.hpp"
#include "common/system.hpp"
#include "sorter/block_file.hpp"
#include "sorter/sorter_texts.hpp"
#include "sorter/sorting_run.hpp"

namespace text = renumbrix_text;

int main(int argc, char* argv[]) {
    const sys::MissingStreams missing = sys::prepareConsole();
    const bool windowWaits = sys::consoleClosesWithProgram();
    const std::vector<std::string> arguments = sys::commandLineArguments(argc, argv);
    const CommandLine line = readCommandLine(arguments,
                                             {text::kProgramName, text::kHelp, text::kMoreHelp,
                                              text::kMoreHelpOnWindows, text::kExitUsage, false},
                                             missing);
    // The files are the product: a terminal or window closed midway must not
    // take them down with it.
    sys::outliveConsole();

    // Do the work: the block comes from the file named on the command line
    // (or dropped on the program), with the game's folder when it is dropped
    // too, or else from the console.
    SortingEnd end{};
    std::vector<std::string_view> files;
    std::vector<std::string_view> folders;
    for (const std::string_view operand : line.operands) {
        (sys::isFolder(std::string(operand).c_str()) ? folders : files).push_back(operand);
    }
    if (line.answered) {
        end = {*line.answered, false};
    } else if (!folders.empty() && (folders.size() > 1 || files.size() != 1)) {
        end = refuseFolderUsage(ConsoleStreams{});
    } else if (files.size() > 1) {
        end = refuseSeveralBlocks(ConsoleStreams{});
    } else if (files.size() == 1) {
        const std::optional<std::string_view> folder =
            folders.empty() ? std::nullopt : std::optional(folders.front());
        end = sortBlockFile(files.front(), folder, ConsoleStreams{});
    } else {
        end = runSorting(ConsoleStreams{});
    }

    // A double-clicked program's window closes as it ends: it waits for a key
    // instead, once the run has closed its files, so that its last words can
    // be read and a second run is not blocked meanwhile. A run that ended
    // another way says first that a key will end it.
    if (windowWaits) {
        if (!end.quitHintShown) {
            LineWriter(kStandardError).line(text::kQuitHint);
        }
        sys::waitForKeyPress();
    }
    return end.status;
}
