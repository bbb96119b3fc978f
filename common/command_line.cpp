// The command line both programs take: help, the version, the refusal of an
// option neither knows, "--", and the operands left for the program.

#include "common/command_line.hpp"

#include "common/console_input.hpp"
#include "common/console_output.hpp"
#include "common/shown.hpp"
#include "common/texts.hpp"
#include "common/version.hpp"

namespace shared = common_text;

namespace {

bool isHelpOption(std::string_view argument) {
    return argument == "--help" || argument == "-h" || sys::isSystemHelpSwitch(argument);
}

}  // namespace

CommandLine readCommandLine(const std::vector<std::string>& arguments, const ProgramInfo& program,
                            const sys::MissingStreams& missing) {
    CommandLine line;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        if (optionsEnded || !sys::looksLikeOption(argument) ||
            (argument == "-" && program.readsStandardInputAsFile)) {
            line.operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (isHelpOption(argument)) {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else {
            // The argument may be any name a download holds: it is shown
            // as every outside text is, so that it cannot act on the terminal.
            LineWriter err(kStandardError);
            err << program.name << shared::kUnknownOption;
            writeShown(err, argument);
            err.line(shared::kSeeHelp, program.name, shared::kHelpOption);
            line.answered = program.usageStatus;
            return line;
        }
    }
    if (!help && !version) {
        return line;
    }
    LineWriter out(kStandardOutput);
    if (help) {
        out.lines(program.help);
        out.line(sys::comesWithReadMe() ? program.moreWindows : program.more);
    } else {
        out.line(program.name, " ", kProgramVersion);
    }
    line.answered = out.failed() || missing.output ? 1 : 0;
    return line;
}
