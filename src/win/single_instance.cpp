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
    // The marker's references are counted: this copy adds one and Release
    // deletes that one only. References found now belong to other programs
    // or to killed copies, and stay.
    runningAtom_ = GlobalAddAtomA(kRunningAtomName);
    return true;
}

void SingleInstanceGuard::Release() {
    if (runningAtom_) GlobalDeleteAtom(runningAtom_);
    runningAtom_ = 0;
    if (mutex_) CloseHandle(mutex_);
    mutex_ = nullptr;
}

bool SingleInstanceGuard::HeldByACopy() {
    const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kSingleInstanceMutexName);
    if (mutex) CloseHandle(mutex);
    return mutex != nullptr;
}
