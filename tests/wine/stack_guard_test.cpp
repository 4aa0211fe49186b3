// The stack guard the program links: seeded at start from the system's random
// source, and a frame written past its buffer ends the process at once with the
// overrun status.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "win/stack_guard.h"

extern "C" std::uintptr_t __stack_chk_guard;

namespace {

// The length goes through a volatile, so the compiler cannot see the overrun.
__attribute__((noinline)) void WritePastBuffer(std::size_t length) {
    volatile std::size_t opaque = length;
    char buffer[8];
    std::memset(buffer, 'x', opaque);
    asm volatile("" : : "r"(buffer) : "memory");
}

TEST(StackGuardDeathTest, SeededAndAnOverrunEndsTheProcess) {
    const std::uintptr_t unseeded = static_cast<std::uintptr_t>(0x2B992DDFA232ULL);
    EXPECT_NE(__stack_chk_guard, unseeded);
    // Wine has no ProcessPrng yet; Windows 10 and 11 take that one.
    EXPECT_TRUE(QuorvaneStackGuardSource == kStackGuardProcessPrng ||
                QuorvaneStackGuardSource == kStackGuardRtlGenRandom)
        << "seeded from source " << QuorvaneStackGuardSource;
    EXPECT_EQ(__stack_chk_guard & 0xFF, 0u);
    WritePastBuffer(sizeof(char[8]));  // within bounds: returns
    EXPECT_EXIT(WritePastBuffer(64),
                [](int status) { return static_cast<DWORD>(status) == static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN); },
                "");
}

}  // namespace
