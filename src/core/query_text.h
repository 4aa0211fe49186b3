#pragma once

#include <string_view>

// Removes leading and trailing characters whose code is 32 or below (blank and
// every control character). Bytes from 128 up are text and stay.
std::string_view Trim(std::string_view text);

// Whether a text may be looked up or stored: not empty once trimmed, and not
// the placeholder (compared exactly, after trimming).
bool IsQueryText(std::string_view text);
