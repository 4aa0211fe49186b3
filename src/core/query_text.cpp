#include "core/query_text.h"

#include "core/texts.h"

namespace {
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 32; }
}  // namespace

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);
    return text;
}

bool IsQueryText(std::string_view text) {
    const std::string_view trimmed = Trim(text);
    return !trimmed.empty() && trimmed != texts::kPlaceholder;
}
