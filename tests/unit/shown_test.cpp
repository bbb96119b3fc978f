// How text from outside the program is shown: every character that steers a
// terminal by a name, every letter as it is, and the edges of each range.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "common/console_output.hpp"
#include "common/shown.hpp"

namespace {

std::string shown(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    {
        LineWriter out(fileno(file));
        writeShown(out, bytes);
        out.endLine();
    }
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        text.push_back(static_cast<char>(c));
    }
    std::fclose(file);
    return text.substr(0, text.size() - 1);
}

TEST(Shown, ControlsByNameLettersAsTheyAre) {
    const struct {
        const char* bytes;
        const char* shown;
    } cases[] = {
        {"a\x1b[2Jb", "a<ESC>[2Jb"},
        {"\t", "\t"},
        {"\x7f", "<DEL>"},
        {"\xef\xbb\xbf", "<BOM>"},
        {"\xc2\x80", "<U+0080>"},
        {"\xc2\x9f", "<U+009F>"},
        {"\xc2\xa0", "\xc2\xa0"},
        {"\xd8\x9b", "\xd8\x9b"},
        {"\xd8\x9c", "<U+061C>"},
        {"\xe2\x80\x8d", "\xe2\x80\x8d"},
        {"\xe2\x80\x8e", "<U+200E>"},
        {"\xe2\x80\x8f", "<U+200F>"},
        {"\xe2\x80\x90", "\xe2\x80\x90"},
        {"\xe2\x80\xa9", "\xe2\x80\xa9"},
        {"\xe2\x80\xaa", "<U+202A>"},
        {"\xe2\x80\xae", "<U+202E>"},
        {"\xe2\x80\xaf", "\xe2\x80\xaf"},
        {"\xe2\x81\xa5", "\xe2\x81\xa5"},
        {"\xe2\x81\xa6", "<U+2066>"},
        {"\xe2\x81\xa9", "<U+2069>"},
        {"\xe2\x81\xaa", "\xe2\x81\xaa"},
        // Bytes that are no part of a UTF-8 character: those a terminal takes for C1
        // controls by name, the rest as they are.
        {"\x80", "<0x80>"},
        {"\x9b", "<0x9B>"},
        {"\x9f", "<0x9F>"},
        {"\xa0", "\xa0"},
        {"caf\xe9", "caf\xe9"},
        {"\xe2\x80", "\xe2<0x80>"},                  // a character cut short
        {"\xc0\x80", "\xc0<0x80>"},                  // an overlong form
        {"\xe0\x80\x9b", "\xe0<0x80><0x9B>"},        // another
        {"\xed\xb2\x9b", "\xed\xb2<0x9B>"},          // a surrogate
        {"\xf4\x90\x80\x80", "\xf4<0x90><0x80><0x80>"},  // beyond U+10FFFF
        {"\xf0\x9f\x8e\xae mods", "\xf0\x9f\x8e\xae mods"},
        {"Деревья Δέντρα 树木", "Деревья Δέντρα 树木"},
    };
    for (const auto& sample : cases) {
        EXPECT_EQ(shown(sample.bytes), sample.shown) << sample.bytes;
        EXPECT_EQ(needsNames(sample.bytes), shown(sample.bytes) != sample.bytes) << sample.bytes;
    }
}

}  // namespace
