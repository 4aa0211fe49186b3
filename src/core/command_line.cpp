#include "core/command_line.h"

#include <algorithm>

namespace {
// The same blanks the search box trims: every code of 32 or below.
bool IsBlank(wchar_t c) { return c <= L' '; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

CommandLineRequest ParseArguments(const std::vector<std::wstring>& arguments) {
    if (arguments.size() == 1 && arguments.front() == L"/?") return {CommandLineRequest::Kind::kUsage, {}};
    std::wstring query;
    for (const std::wstring& argument : arguments) {
        if (&argument != &arguments.front()) query += L' ';
        query += argument;
    }
    if (std::all_of(query.begin(), query.end(), IsBlank)) return {};
    return {CommandLineRequest::Kind::kQuery, std::move(query)};
}

std::wstring ShortenedForMessage(std::wstring_view query, std::size_t units) {
    if (query.size() <= units) return std::wstring(query);
    std::size_t cut = units;
    if (cut > 0 && IsLowSurrogate(query[cut])) --cut;
    return std::wstring(query.substr(0, cut)) + L"...";
}
