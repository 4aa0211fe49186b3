#pragma once

#include <string_view>

// Removes leading and trailing characters whose code is 32 or below (blank and
// every control character). Bytes from 128 up are text and stay.
std::string_view Trim(std::string_view text);
