#include "line_verdict.hpp"

#include "counter_texts.hpp"

namespace text = tallyrun_text;

std::string_view reasonFor(Verdict verdict) {
    switch (verdict) {
        case Verdict::Empty:
            return text::kReasonEmpty;
        case Verdict::NoId:
            return text::kReasonNoId;
        case Verdict::OutOfRange:
            return text::kReasonOutOfRange;
        case Verdict::TooLong:
            return text::kReasonTooLong;
        case Verdict::ByteOrderMark:
            return text::kReasonByteOrderMark;
        case Verdict::Taken:
            break;
    }
    return {};
}
