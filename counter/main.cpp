#include "command_line.hpp"
#include "counter_texts.hpp"
#include "line_counter.hpp"
#include "raw_io.hpp"

int main(int argc, char* argv[]) {
    rawio::prepareConsole();
    if (const auto status = answerCommandLine(argc, argv, {text::kProgramName, text::kHelp})) {
        return *status;
    }
    return runLineCounter(ConsoleStreams{});
}
