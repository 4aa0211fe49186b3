// Where the stack protector's guard got its value at start-up, for the tests
// that check it came from the system's random source.
#pragma once

enum StackGuardSource : int {
    kStackGuardUnseeded = 0,      // not yet seeded
    kStackGuardProcessPrng = 1,   // bcryptprimitives' ProcessPrng (Windows 10 and 11)
    kStackGuardRtlGenRandom = 2,  // advapi32's own RtlGenRandom (systems without the first)
    kStackGuardMixed = 3,         // no random source: counters and addresses mixed
};

extern "C" int QuorvaneStackGuardSource;
