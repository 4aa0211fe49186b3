// What the core needs to know of the ANSI code page, passed in by the program
// (the platform's answer) or by tests (a fixed table).
#pragma once

#include <functional>

// Whether a byte starts a double-byte character.
using LeadByteTest = std::function<bool(unsigned char)>;
