// How the ANSI code page splits text into characters: the one rule behind
// every cut, match, Backspace and completion of the core. The program builds
// it from the system's code page, tests from fixed tables.
//
// Single-byte code pages: every byte is a character.
// Double-byte code pages (932, 936, 949, 950): a lead byte followed by a
// trail byte is one character. Trail bytes of all of them lie in 0x40..0xFE
// and are never 0x7F; a lead byte before any other byte, or at the end of the
// text, is a character of its own.
// UTF-8: a well-formed sequence of one to four bytes is one character
// (no overlong forms, no surrogates, nothing past U+10FFFF); every byte of
// anything else, a truncated sequence included, is a character of its own.
//
// So in every code page a byte below 0x40 is a character of its own: a blank,
// a quote, '/', '=' or ':' never belongs to a longer character.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

class CodePage {
public:
    struct ByteRange {
        unsigned char first, last;  // inclusive
    };

    static CodePage SingleByte();
    // Lead bytes as the system lists them, in ranges; bytes below 0x80 are
    // never lead bytes.
    static CodePage DoubleByte(std::span<const ByteRange> leadBytes);
    static CodePage Utf8();

    // Whether every byte is a character, as in the single-byte code pages.
    bool EveryByteACharacter() const { return kind_ == Kind::kSingleByte; }

    // Bytes of the character that starts at `at` (below text.size()): one to
    // four, never reaching past the text. It depends on at most the four
    // bytes from `at` on and on where the text ends.
    std::size_t CharacterLength(std::string_view text, std::size_t at) const;

    // Where the character that holds byte `at` starts; text.size() for `at`
    // at or past the end. Double-byte text is read from its start.
    std::size_t CharacterStart(std::string_view text, std::size_t at) const;

    // Whether `at` lies between two characters (the start and the end do).
    bool IsBoundary(std::string_view text, std::size_t at) const { return CharacterStart(text, at) == at; }

    // `at` when it lies between characters, else the end of the character
    // that holds it.
    std::size_t BoundaryAtOrAfter(std::string_view text, std::size_t at) const;

    // Bytes of the longest start of `text` that is whole characters and at
    // most `limit` bytes long.
    std::size_t WholeCharactersWithin(std::string_view text, std::size_t limit) const;

private:
    enum class Kind : unsigned char { kSingleByte, kDoubleByte, kUtf8 };
    explicit CodePage(Kind kind) : kind_(kind) {}

    Kind kind_;
    std::array<bool, 256> leadByte_{};  // double-byte code pages only
};
