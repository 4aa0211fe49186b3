// libFuzzer target: the entry normalization of any line must equal, byte for
// byte, the rules applied as worded (one deletion at a time, searching again
// from the start). The same goes for ReplaceAll with an empty replacement,
// whose pattern (1 to 8 bytes) the first byte cuts from the front of the input.
#include "core/bulk_entry.h"
#include "require.h"
#include "unit/bulk_entry_reference.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Require(NormalizeEntry(bytes, LowerLikeCodePage) == NormalizeEntryReference(std::string(bytes), LowerLikeCodePage));

    if (size < 2) return 0;
    const std::string_view pattern = bytes.substr(1, 1 + data[0] % 8);
    const std::string_view text = bytes.substr(1 + pattern.size());
    Require(ReplaceAll(text, pattern, "") == EraseEachReference(std::string(text), pattern));
    return 0;
}
