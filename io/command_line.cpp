#include "command_line.hpp"

#include "console_texts.hpp"
#include "line_writer.hpp"
#include "raw_io.hpp"
#include "version.hpp"

namespace {

bool isHelpOption(std::string_view argument) {
    return argument == "--help" || argument == "-h" || rawio::isSystemHelpSwitch(argument);
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char* argv[], const ProgramInfo& program) {
    bool help = false;
    bool version = false;
    for (int index = 1; index < argc; ++index) {
        const std::string_view argument = argv[index];
        if (!rawio::looksLikeOption(argument)) {
            continue;
        }
        if (isHelpOption(argument)) {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else {
            LineWriter(rawio::kStandardError)
                .line(program.name, text::kUnknownOption, argument, text::kSeeHelp, program.name,
                      text::kHelpOption);
            return 1;
        }
    }
    LineWriter out(rawio::kStandardOutput);
    if (help) {
        // Line by line, like everything else the programs write.
        for (std::string_view rest = program.help; !rest.empty();) {
            const std::size_t end = rest.find('\n');
            out.line(rest.substr(0, end));
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        }
        out.line(rawio::comesWithReadMe() ? program.moreWindows : program.more);
    } else if (version) {
        out.line(program.name, " ", text::kVersion);
    } else {
        return std::nullopt;
    }
    return out.failed() ? 1 : 0;
}
