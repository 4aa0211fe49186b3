// A property of a fuzz target that does not hold is a crash: libFuzzer then
// reports it and keeps the input.
#pragma once

#include <cstdlib>

inline void Require(bool holds) {
    if (!holds) std::abort();
}
