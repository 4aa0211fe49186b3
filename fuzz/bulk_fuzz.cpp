// libFuzzer target: the entry normalization of any line must equal, byte for
// byte, the rules applied as worded (one deletion at a time, searching again
// from the start, matching whole characters only) in the code page that the
// first byte chooses (1252, the double-byte ones, UTF-8). The same goes for
// ReplaceAll with an empty replacement, whose pattern (1 to 8 bytes) the
// first byte's next bits cut from the front of the rest.
#include "core/bulk_entry.h"
#include "require.h"
#include "unit/bulk_entry_reference.h"
#include "unit/code_pages.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::vector<NamedCodePage>& pages = TestCodePages();
    const CodePage& codePage = pages[data[0] % pages.size()].codePage;
    const LowerCaseInPlace lower = LowerInCodePage(codePage);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    Require(NormalizeEntry(bytes, codePage, lower) == NormalizeEntryReference(std::string(bytes), codePage, lower));

    if (bytes.empty()) return 0;
    const std::string_view pattern = bytes.substr(0, 1 + data[0] / pages.size() % 8);
    const std::string_view text = bytes.substr(pattern.size());
    Require(ReplaceAll(text, pattern, "", codePage) == EraseEachReference(std::string(text), pattern, codePage));
    return 0;
}
