// One copy per desktop. A named mutex in the session's namespace, held for
// the program's whole life, decides: it disappears with the process however
// that ends, so a killed copy never locks out the next start, and creating it
// is one atomic step. The global atom "PROGRAM_RUNNING" stays the marker that
// other programs can see; it is added once this copy may run.
#pragma once

#include <windows.h>

class SingleInstanceGuard {
public:
    SingleInstanceGuard() = default;
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;
    ~SingleInstanceGuard();

    // True when no other copy runs; this copy then holds the mutex and the
    // marker. False when another copy runs; nothing is held.
    bool Acquire();
    // Deletes the marker this copy added (none when RunningAtom is 0) and lets
    // go of the mutex.
    void Release();
    ATOM RunningAtom() const { return runningAtom_; }

private:
    HANDLE mutex_ = nullptr;
    ATOM runningAtom_ = 0;
};

inline constexpr char kRunningAtomName[] = "PROGRAM_RUNNING";
inline constexpr char kSingleInstanceMutexName[] =
    "Local\\Quorvane-SingleInstance-5d1f7a2c-93b4-4e0a-b8c6-2f71e4d9a035";
