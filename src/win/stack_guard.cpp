// The stack protector's guard and its failure, in place of the compiler's
// runtime. That one seeds the guard through the legacy crypto provider, which
// loads three DLLs at start-up and unloads them again: a few milliseconds and
// about 3 MB of peak memory, on top of everything the program has loaded by
// then. The system's random source gives the same quality without them.
//
// The source is looked up at run time, in the system folder only, never
// imported: advapi32's RtlGenRandom forwards to CRYPTBASE.dll, which is not a
// known DLL, so a static import of it would let the loader take a CRYPTBASE.dll
// planted beside a portable copy before any line of the program runs.
#include <windows.h>

#include <cstdint>

#include "win/stack_guard.h"

extern "C" {

// Not zero even before the seeding below: a protected function that returns
// before it still compares equal, as the value does not change under it.
std::uintptr_t __stack_chk_guard = static_cast<std::uintptr_t>(0x2B992DDFA232ULL);

int QuorvaneStackGuardSource = kStackGuardUnseeded;

// The check failed: the stack is corrupt, so nothing of the process may run
// on (no handlers, no destructors); it ends with the status Windows gives an
// overrun stack buffer.
[[noreturn]] void __stack_chk_fail() {
    for (;;) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
}

}  // extern "C"

namespace {

using ProcessPrngFunction = BOOL(WINAPI*)(PBYTE, SIZE_T);
using RtlGenRandomFunction = BOOLEAN(WINAPI*)(PVOID, ULONG);

// A function of a system DLL, the DLL taken from the system folder only. The
// DLL stays loaded: it is one every process of the system has anyway.
FARPROC SystemFunction(const wchar_t* dll, const char* name) {
    const HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, name) : nullptr;
}

// Fills seed from the system's random source; answers which one did.
int RandomSeed(std::uintptr_t& seed) {
    // Windows 10 and 11: the per-processor generator RtlGenRandom itself
    // calls, documented never to fail.
    if (const auto processPrng = reinterpret_cast<ProcessPrngFunction>(
            reinterpret_cast<void*>(SystemFunction(L"bcryptprimitives.dll", "ProcessPrng"))))
        if (processPrng(reinterpret_cast<PBYTE>(&seed), sizeof seed)) return kStackGuardProcessPrng;
    // Systems without it (Wine among them), where advapi32 has its own.
    if (const auto rtlGenRandom = reinterpret_cast<RtlGenRandomFunction>(
            reinterpret_cast<void*>(SystemFunction(L"advapi32.dll", "SystemFunction036"))))
        if (rtlGenRandom(&seed, sizeof seed)) return kStackGuardRtlGenRandom;
    return kStackGuardUnseeded;
}

// A constructor runs whole between two others, so no protected frame is live
// across the change of the guard; it has no buffer of its own to protect.
__attribute__((constructor, no_stack_protector)) void SeedStackGuard() {
    std::uintptr_t seed = 0;
    QuorvaneStackGuardSource = RandomSeed(seed);
    if (QuorvaneStackGuardSource == kStackGuardUnseeded || seed == 0) {
        // No random source: mix what differs from run to run. Guessable by a
        // patient attacker, but only a system older than any supported lacks both.
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        seed = static_cast<std::uintptr_t>(counter.QuadPart) ^ (GetCurrentProcessId() << 16) ^
               GetCurrentThreadId() ^ reinterpret_cast<std::uintptr_t>(&seed);
        QuorvaneStackGuardSource = kStackGuardMixed;
    }
    // A zero byte first: a string overrun copies no terminator past it.
    if (const std::uintptr_t guard = seed & ~static_cast<std::uintptr_t>(0xFF)) __stack_chk_guard = guard;
}

}  // namespace
