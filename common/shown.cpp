// The safe display of text from outside the program: what is shown as it is,
// and what by a name.

#include "common/shown.hpp"

#include <cstddef>
#include <cstdint>

#include "common/system.hpp"
#include "common/texts.hpp"

namespace shared = common_text;

namespace {

// The UTF-8 character that starts at `at`: its code point and length, or a
// length of 0 where the bytes there are no well-formed character (a stray
// byte, a cut sequence, an overlong form, a surrogate).
struct Character {
    std::uint32_t codePoint = 0;
    std::size_t length = 0;
};

Character decodedAt(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length;
    std::uint32_t codePoint;
    std::uint32_t lowest;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1Fu, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0Fu, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07u, lowest = 0x10000;
    } else {
        return {};
    }
    if (bytes.size() - at < length) {
        return {};
    }
    for (std::size_t index = 1; index < length; ++index) {
        const auto next = static_cast<unsigned char>(bytes[at + index]);
        if ((next & 0xC0) != 0x80) {
            return {};
        }
        codePoint = codePoint << 6 | (next & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < lowest || surrogate || codePoint > 0x10FFFF) {
        return {};
    }
    return {codePoint, length};
}

// The characters that steer how a terminal shows what follows them: the C1
// controls (CSI among them) and the marks and overrides of bidirectional
// text, which can make a line read backwards.
bool actsOnTerminal(std::uint32_t codePoint) {
    return (codePoint >= 0x80 && codePoint <= 0x9F) || codePoint == 0x061C ||
           codePoint == 0x200E || codePoint == 0x200F ||
           (codePoint >= 0x202A && codePoint <= 0x202E) ||
           (codePoint >= 0x2066 && codePoint <= 0x2069);
}

// How the bytes at `at` are shown: how many of them go together, and how they
// are named (`kind`), or shown as they are.
enum class Kind { Plain, Control, Delete, Mark, CodePoint, Byte };
struct Piece {
    Kind kind = Kind::Plain;
    std::size_t width = 1;
    std::uint32_t value = 0;
};

Piece pieceAt(std::string_view bytes, std::size_t at) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x20) {
        return {byte == '\t' ? Kind::Plain : Kind::Control, 1, byte};
    }
    if (byte == 0x7F) {
        return {Kind::Delete, 1, byte};
    }
    if (byte < 0x80) {
        return {};
    }
    const Character character = decodedAt(bytes, at);
    if (character.length == 0) {
        const bool named = byte <= 0x9F && !sys::showsStrayBytesAsCodePage();
        return {named ? Kind::Byte : Kind::Plain, 1, byte};
    }
    if (character.codePoint == 0xFEFF) {
        return {Kind::Mark, character.length, character.codePoint};
    }
    return {actsOnTerminal(character.codePoint) ? Kind::CodePoint : Kind::Plain,
            character.length, character.codePoint};
}

// A code point or byte as hexadecimal digits, at least `digits` of them.
void writeHex(LineWriter& out, std::uint32_t value, int digits) {
    char hex[8];
    int count = 0;
    do {
        hex[count++] = "0123456789ABCDEF"[value & 0xFu];
        value >>= 4;
    } while (value != 0 || count < digits);
    while (count > 0) {
        out << std::string_view(&hex[--count], 1);
    }
}

void writeName(LineWriter& out, const Piece& piece) {
    switch (piece.kind) {
        case Kind::Control:
            out << shared::kControlNames[piece.value];
            break;
        case Kind::Delete:
            out << shared::kDeleteShown;
            break;
        case Kind::Mark:
            out << shared::kMarkShown;
            break;
        case Kind::CodePoint:
            out << shared::kCodePointBefore;
            writeHex(out, piece.value, 4);
            out << shared::kNameAfter;
            break;
        case Kind::Byte:
            out << shared::kByteBefore;
            writeHex(out, piece.value, 2);
            out << shared::kNameAfter;
            break;
        case Kind::Plain:
            break;
    }
}

}  // namespace

void writeShown(LineWriter& out, std::string_view bytes) {
    std::size_t plain = 0;  // the first byte not written yet
    for (std::size_t at = 0; at < bytes.size();) {
        const Piece piece = pieceAt(bytes, at);
        if (piece.kind != Kind::Plain) {
            out << bytes.substr(plain, at - plain);
            writeName(out, piece);
            plain = at + piece.width;
        }
        at += piece.width;
    }
    out << bytes.substr(plain);
}

std::string_view characterAt(std::string_view bytes, std::size_t at) {
    const Character character = decodedAt(bytes, at);
    return bytes.substr(at, character.length == 0 ? 1 : character.length);
}

bool needsNames(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const Piece piece = pieceAt(bytes, at);
        if (piece.kind != Kind::Plain) {
            return true;
        }
        at += piece.width;
    }
    return false;
}
