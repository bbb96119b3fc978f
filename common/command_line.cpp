#include "common/command_line.hpp"

#include "common/console_input.hpp"
#include "common/console_output.hpp"
#include "common/texts.hpp"
#include "common/version.hpp"

namespace text = common_text;

namespace {

bool isHelpOption(std::string_view argument) {
    return argument == "--help" || argument == "-h" || sys::isSystemHelpSwitch(argument);
}

}  // namespace

CommandLine readCommandLine(int argc, char* argv[], const ProgramInfo& program,
                            const sys::MissingStreams& missing) {
    CommandLine line;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
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
            LineWriter(kStandardError)
                .line(program.name, text::kUnknownOption, argument, text::kSeeHelp, program.name,
                      text::kHelpOption);
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
