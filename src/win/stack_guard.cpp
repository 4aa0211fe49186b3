// The stack protector's guard and its failure, in place of the compiler's
// runtime. That one seeds the guard through the legacy crypto provider, which
// loads three DLLs at start-up and unloads them again: a few milliseconds and
// about 3 MB of peak memory, on top of everything the program has loaded by
// then. The system's random source gives the same quality without them.
#include <windows.h>
#include <ntsecapi.h>

#include <cstdint>

extern "C" {

// Not zero even before the seeding below: a protected function that returns
// before it still compares equal, as the value does not change under it.
std::uintptr_t __stack_chk_guard = static_cast<std::uintptr_t>(0x2B992DDFA232ULL);

// The check failed: the stack is corrupt, so nothing of the process may run
// on (no handlers, no destructors); it ends with the status Windows gives an
// overrun stack buffer.
[[noreturn]] void __stack_chk_fail() {
    for (;;) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
}

// A constructor runs whole between two others, so no protected frame is live
// across the change of the guard; it has no buffer of its own to protect.
__attribute__((constructor, no_stack_protector)) static void SeedStackGuard() {
    std::uintptr_t seed = 0;
    if (!RtlGenRandom(&seed, sizeof seed) || seed == 0) {
        // No random source: mix what differs from run to run.
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        seed = static_cast<std::uintptr_t>(counter.QuadPart) ^ (GetCurrentProcessId() << 16) ^
               GetCurrentThreadId() ^ reinterpret_cast<std::uintptr_t>(&seed);
    }
    // A zero byte first: a string overrun copies no terminator past it.
    if (const std::uintptr_t guard = seed & ~static_cast<std::uintptr_t>(0xFF)) __stack_chk_guard = guard;
}

}  // extern "C"
