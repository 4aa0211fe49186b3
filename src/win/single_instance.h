// One copy per desktop. A named mutex in the session's namespace, held for
// the program's whole life, decides: it disappears with the process however
// that ends, so a killed copy never locks out the next start, and creating it
// is one atomic step. The global atom "PROGRAM_RUNNING" stays the marker that
// other programs can see, and may use as their own: this copy adds one
// reference once it may run and deletes only that one at its end. A killed
// copy's reference stays until the session ends; it never blocks a start,
// since the mutex decides.
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
    // Deletes the marker reference this copy added (none when RunningAtom is
    // 0), no other, and lets go of the mutex.
    void Release();
    ATOM RunningAtom() const { return runningAtom_; }
    // Whether a copy holds the mutex now; nothing is taken.
    static bool HeldByACopy();

private:
    HANDLE mutex_ = nullptr;
    ATOM runningAtom_ = 0;
};

inline constexpr char kRunningAtomName[] = "PROGRAM_RUNNING";
inline constexpr char kSingleInstanceMutexName[] =
    "Local\\Quorvane-SingleInstance-5d1f7a2c-93b4-4e0a-b8c6-2f71e4d9a035";
