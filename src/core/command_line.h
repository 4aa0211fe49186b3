// What the program's arguments ask for. They come as wide characters, the
// program's own path left out: "/?" alone asks for the usage; anything else
// is one query, the arguments joined by one blank (so `Quorvane.exe a b`
// looks up "a b", as typing it would). A query of blanks only, or none, asks
// for nothing: the program starts as it always has.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CommandLineRequest {
    enum class Kind { kNothing, kUsage, kQuery };
    Kind kind = Kind::kNothing;
    std::wstring query;  // for kQuery: as given, not trimmed
};

CommandLineRequest ParseArguments(const std::vector<std::wstring>& arguments);

// A query in a message shortened to at most `units` characters and "...",
// never between the two halves of a character beyond the first plane.
std::wstring ShortenedForMessage(std::wstring_view query, std::size_t units);
