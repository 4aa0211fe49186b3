#include "win/single_instance.h"

SingleInstanceGuard::~SingleInstanceGuard() { Release(); }

bool SingleInstanceGuard::Acquire() {
    mutex_ = CreateMutexA(nullptr, FALSE, kSingleInstanceMutexName);
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
        return false;
    }
    // Without the mutex (it could not be created at all) the marker is the
    // only guard left.
    if (!mutex_ && GlobalFindAtomA(kRunningAtomName) != 0) return false;
    // Holding the mutex, this copy is the only one: a marker found now was
    // left by killed copies, one reference each. Dropped, so that this copy's
    // clean end leaves no marker behind.
    if (mutex_)
        while (const ATOM stale = GlobalFindAtomA(kRunningAtomName))
            if (GlobalDeleteAtom(stale) != 0) break;
    runningAtom_ = GlobalAddAtomA(kRunningAtomName);
    return true;
}

void SingleInstanceGuard::Release() {
    if (runningAtom_) GlobalDeleteAtom(runningAtom_);
    runningAtom_ = 0;
    if (mutex_) CloseHandle(mutex_);
    mutex_ = nullptr;
}
