#pragma once

#include <string_view>

// The search box's initial text. Never looked up, never stored.
inline constexpr std::string_view kPlaceholderText = "Enter domain, IP address or ASN";

// Removes leading and trailing characters whose code is 32 or below (blank and
// every control character). Bytes from 128 up are text and stay.
std::string_view Trim(std::string_view text);

// Whether a text may be looked up or stored: not empty once trimmed, and not
// the placeholder (compared exactly, after trimming).
bool IsQueryText(std::string_view text);
