#include "command_line.hpp"

#include "line_writer.hpp"
#include "raw_io.hpp"
#include "version.hpp"

bool answerCommandLine(int argc, char* argv[], const ProgramInfo& program) {
    if (argc != 2) {
        return false;
    }
    const std::string_view argument = argv[1];
    LineWriter out(rawio::kStandardOutput);
    if (argument == "--version") {
        out.line(program.name, " ", text::kVersion);
        return true;
    }
    if (argument == "--help" || argument == "-h" || rawio::isSystemHelpSwitch(argument)) {
        // Line by line, like everything else the programs write.
        for (std::string_view rest = program.help; !rest.empty();) {
            const std::size_t end = rest.find('\n');
            out.line(rest.substr(0, end));
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        }
        return true;
    }
    return false;
}
