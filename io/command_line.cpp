#include "command_line.hpp"

#include "console_streams.hpp"
#include "console_texts.hpp"
#include "line_writer.hpp"
#include "system_conventions.hpp"
#include "version.hpp"

namespace text = console_text;

namespace {

bool isHelpOption(std::string_view argument) {
    return argument == "--help" || argument == "-h" || conventions::isSystemHelpSwitch(argument);
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char* argv[], const ProgramInfo& program) {
    bool help = false;
    bool version = false;
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        if (!conventions::looksLikeOption(argument)) {
            continue;
        }
        if (isHelpOption(argument)) {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else {
            LineWriter(kStandardError)
                .line(program.name, text::kUnknownOption, argument, text::kSeeHelp, program.name,
                      text::kHelpOption);
            return 1;
        }
    }
    LineWriter out(kStandardOutput);
    if (help) {
        out.lines(program.help);
        out.line(conventions::comesWithReadMe() ? program.moreWindows : program.more);
    } else if (version) {
        out.line(program.name, " ", text::kVersion);
    } else {
        return std::nullopt;
    }
    return out.failed() ? 1 : 0;
}
