// The code pages the text rules are tested on: 1252 stands for every
// single-byte one; the double-byte ones by their lead-byte ranges, as the
// system lists them; and UTF-8.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_page.h"

struct NamedCodePage {
    std::string_view name;
    CodePage codePage;
};

inline const std::vector<NamedCodePage>& TestCodePages() {
    static constexpr CodePage::ByteRange k932[] = {{0x81, 0x9F}, {0xE0, 0xFC}};
    static constexpr CodePage::ByteRange k936949950[] = {{0x81, 0xFE}};
    static const std::vector<NamedCodePage> pages = {
        {"1252", CodePage::SingleByte()},           {"932", CodePage::DoubleByte(k932)},
        {"936", CodePage::DoubleByte(k936949950)}, {"949", CodePage::DoubleByte(k936949950)},
        {"950", CodePage::DoubleByte(k936949950)}, {"UTF-8", CodePage::Utf8()},
    };
    return pages;
}

inline const CodePage& CodePageNamed(std::string_view name) {
    for (const NamedCodePage& page : TestCodePages())
        if (page.name == name) return page.codePage;
    throw std::out_of_range(std::string(name));
}
