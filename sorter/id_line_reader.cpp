#include "id_line_reader.hpp"

#include "sorter_texts.hpp"

bool IdLineReader::readIdNumber(std::int32_t& value) {
    if (ended_ || failed_) {
        failed_ = true;
        return false;
    }
    if (!started_) {
        started_ = true;
        takeEncodingMark();
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
