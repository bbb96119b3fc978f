// tallyrun: reads its command line, then counts the lines typed or pasted,
// checks the block files named, or reads a folder's IDE files, and waits for
// a key where its window would close with it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/command_line.hpp"
#include "common/console_input.hpp"
#include "common/console_output.hpp"
#include "common/system.hpp"
#include "counter/counter_texts.hpp"
#include "counter/tally.hpp"

namespace text = tallyrun_text;

namespace {

// What the command line names: files to check, or a folder of IDE files with
// one block file at most; an empty folder name when there is none, and none
// at all when the names cannot be followed.
struct Operands {
    std::vector<std::string_view> files;
    std::string_view folder;
};

std::optional<Operands> sortOperands(const std::vector<std::string_view>& names) {
    Operands operands;
    int folders = 0;
    for (const std::string_view name : names) {
        const std::string path(name);
        if (name != "-" && sys::isFolder(path.c_str())) {
            operands.folder = name;
            ++folders;
        } else {
            operands.files.push_back(name);
        }
    }
    if (folders > 1 || (folders == 1 && operands.files.size() > 1)) {
        return std::nullopt;
    }
    return operands;
}

}  // namespace

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
    // program) are checked, a folder is read for the IDs in use; without
    // any, the lines typed or pasted are counted.
    int status;
    const std::optional<Operands> operands = sortOperands(line.operands);
    if (line.answered) {
        status = *line.answered;
    } else if (line.operands.empty()) {
        status = runLineCounter(ConsoleStreams{});
    } else if (!operands) {
        LineWriter(kStandardError).line(text::kProgramName, text::kFolderUsage);
        status = text::kExitUsage;
    } else if (!operands->folder.empty()) {
        const std::optional<std::string_view> block =
            operands->files.empty() ? std::nullopt : std::optional(operands->files.front());
        status = runFolderCheck(operands->folder, block, ConsoleStreams{});
    } else {
        status = runBlockCheck(operands->files, ConsoleStreams{});
    }

    // A double-clicked program's window closes as it ends, taking the count
    // or the check with it, unless it waits for a key.
    if (windowWaits) {
        LineWriter(kStandardError).line(text::kPressKey);
        sys::waitForKeyPress();
    }
    return status;
}
