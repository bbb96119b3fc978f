#include "line_counter.hpp"

#include <cstdint>

#include "counter_texts.hpp"
#include "input_reader.hpp"
#include "line_verdict.hpp"
#include "line_writer.hpp"

namespace text = tallyrun_text;

int runLineCounter(const ConsoleStreams& console) {
    LineWriter err(console.error);
    err.lines(text::kBanner);

    // Lines are counted, never stored: each is judged in place as it is read,
    // so memory stays the same whatever the length or number of lines. A last
    // line without a line break still counts once the input ends. The total
    // is 64-bit so that an endless feed cannot wrap it around.
    InputReader input(console.input, &err);
    LineWriter out(console.output);
    std::int64_t total = 0;
    std::int64_t notTaken = 0;
    while (input.peek() != InputReader::kEnd) {
        LineInPlace line(input);
        const Verdict verdict = judgeLine(line);
        input.takeLine(nullptr);
        ++total;
        out.line(text::kTotal, total);
        // The totals are this program's only product: once one cannot be
        // delivered (a reader gone, a full disk), counting on is pointless.
        if (out.failed()) {
            err.line(text::kOutputNotWritten);
            return 1;
        }
        if (verdict != Verdict::Taken) {
            ++notTaken;
            err.line(text::kLineNote, total, ": ", reasonFor(verdict));
        }
    }
    if (notTaken > 0) {
        err.line(text::kRemoveListed, total - notTaken);
    }
    return input.readFailed() ? 1 : 0;
}
