#include "id_line_reader.hpp"

#include "sorter_texts.hpp"

namespace {

// The rest of the current line as a source for the ID rule: it ends at the
// line break, which it leaves unread.
class RestOfLine {
public:
    explicit RestOfLine(InputReader& input) : input_(input) {}
    int peek() {
        const int c = input_.peek();
        return c == '\n' ? InputReader::kEnd : c;
    }
    void skip() { input_.skip(); }

private:
    InputReader& input_;
};

}  // namespace

// Once input has ended or failed, no read waits or takes anything. The first
// read of the input looks at the mark its editor may have put in front.
bool IdLineReader::mayRead() {
    if (ended_ || failed_) {
        failed_ = true;
        return false;
    }
    if (!started_) {
        started_ = true;
        takeEncodingMark();
    }
    return true;
}

bool IdLineReader::readIdNumber(std::int32_t& value) {
    if (!mayRead()) {
        return false;
    }
    const NumberRead read = readNumber(input_, value);
    ended_ = input_.peek() == InputReader::kEnd;
    failed_ = read != NumberRead::Number;
    return read == NumberRead::Number;
}

// Editors may begin a file with a mark that names its encoding. The UTF-8
// mark says nothing renumbrix needs, so it is passed over; UTF-16 text holds
// a zero byte in every character and cannot be read at all.
void IdLineReader::takeEncodingMark() {
    switch (input_.peekTextMark()) {
        case InputReader::TextMark::Utf8:
            input_.skipTextMark();
            break;
        case InputReader::TextMark::Utf16:
            input_.failWith(renumbrix_text::kInputIsUtf16);
            break;
        case InputReader::TextMark::None:
            break;
    }
}

bool IdLineReader::readWholeLineNumber(std::int32_t& value) {
    if (!mayRead()) {
        return false;
    }
    RestOfLine line(input_);
    NumberRead read = readNumber(line, value);
    while (isBlank(line.peek())) {
        line.skip();
    }
    // Anything more on the line makes all of it no number.
    if (read != NumberRead::Nothing && line.peek() != InputReader::kEnd) {
        value = 0;
        read = NumberRead::NotANumber;
    }
    // Nothing behind the line is looked at: a person may still be typing.
    ended_ = input_.takeLine(nullptr) != InputReader::LineEnd::Break;
    failed_ = read != NumberRead::Number;
    return read == NumberRead::Number;
}

bool IdLineReader::readLineId(std::int32_t& lineId) {
    lineId = 0;
    return readIdNumber(lineId);
}

bool IdLineReader::readLineExtension(std::string& extension) {
    extension.clear();
    if (ended_ || failed_) {
        failed_ = true;
        return true;
    }
    switch (input_.takeLine(&extension)) {
        case InputReader::LineEnd::Break:
            return true;
        case InputReader::LineEnd::Input:
            ended_ = true;
            return true;
        case InputReader::LineEnd::Dropped:
            ended_ = failed_ = true;
            return false;
    }
    return false;
}
