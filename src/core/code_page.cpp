#include "core/code_page.h"

namespace {

unsigned char ByteAt(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

bool IsContinuation(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

// The well-formed sequences: the lead byte gives the length, and a few lead
// bytes narrow the second byte's range (overlong forms, surrogates, code
// points past U+10FFFF).
std::size_t Utf8Length(std::string_view text, std::size_t at) {
    const unsigned char lead = ByteAt(text, at);
    if (lead < 0xC2 || lead > 0xF4) return 1;
    std::size_t length = 4;
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0xE0) {
        length = 2;
    } else if (lead < 0xF0) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else {
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    }
    if (text.size() - at < length) return 1;
    const unsigned char second = ByteAt(text, at + 1);
    if (second < low || second > high) return 1;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(ByteAt(text, at + i))) return 1;
    return length;
}

}  // namespace

CodePage CodePage::SingleByte() { return CodePage(Kind::kSingleByte); }

CodePage CodePage::DoubleByte(std::span<const ByteRange> leadBytes) {
    CodePage codePage(Kind::kDoubleByte);
    for (const ByteRange& range : leadBytes)
        for (unsigned byte = range.first; byte <= range.last; ++byte) codePage.leadByte_[byte] = byte >= 0x80;
    return codePage;
}

CodePage CodePage::Utf8() { return CodePage(Kind::kUtf8); }

std::size_t CodePage::CharacterLength(std::string_view text, std::size_t at) const {
    switch (kind_) {
        case Kind::kSingleByte:
            return 1;
        case Kind::kDoubleByte:
            return leadByte_[ByteAt(text, at)] && at + 1 < text.size() && IsTrailByte(ByteAt(text, at + 1)) ? 2 : 1;
        case Kind::kUtf8:
            return Utf8Length(text, at);
    }
    return 1;
}

std::size_t CodePage::CharacterStart(std::string_view text, std::size_t at) const {
    if (at >= text.size()) return text.size();
    switch (kind_) {
        case Kind::kSingleByte:
            return at;
        case Kind::kDoubleByte: {
            // A trail byte can look like anything, a lead byte included: only
            // a walk from the start tells the pairs apart.
            std::size_t start = 0;
            for (std::size_t next; (next = start + CharacterLength(text, start)) <= at;) start = next;
            return start;
        }
        case Kind::kUtf8:
            // A lead byte never continues another character, so the one that
            // holds `at` starts at most three bytes before it.
            for (std::size_t back = 1; back <= 3 && back <= at && IsContinuation(ByteAt(text, at - back + 1)); ++back)
                if (Utf8Length(text, at - back) > back) return at - back;
            return at;
    }
    return at;
}

std::size_t CodePage::BoundaryAtOrAfter(std::string_view text, std::size_t at) const {
    const std::size_t start = CharacterStart(text, at);
    return start == at ? at : start + CharacterLength(text, start);
}

std::size_t CodePage::WholeCharactersWithin(std::string_view text, std::size_t limit) const {
    std::size_t length = 0;
    for (std::size_t next; length < text.size() && (next = length + CharacterLength(text, length)) <= limit;)
        length = next;
    return length;
}
