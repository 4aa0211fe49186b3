#include "win/ansi_code_page.h"

#include <windows.h>

#include <vector>

namespace {

CodePage ReadSystemCodePage() {
    const UINT id = GetACP();
    if (id == CP_UTF8) return CodePage::Utf8();
    // The lead bytes come as ranges, two bytes each, ended by two zeros;
    // a code page without them lists none.
    CPINFO info{};
    if (!GetCPInfo(id, &info) || info.MaxCharSize < 2) return CodePage::SingleByte();
    std::vector<CodePage::ByteRange> ranges;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
        ranges.push_back({info.LeadByte[i], info.LeadByte[i + 1]});
    return ranges.empty() ? CodePage::SingleByte() : CodePage::DoubleByte(ranges);
}

}  // namespace

const CodePage& SystemCodePage() {
    static const CodePage codePage = ReadSystemCodePage();
    return codePage;
}
