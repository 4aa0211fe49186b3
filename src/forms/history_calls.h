// The history's file and list calls that can fail, each by name: a test
// makes any one of them fail, in turn, and sees that nothing is lost.
#pragma once

#include <windows.h>

#include <functional>

enum class HistoryCall {
    Attributes,  // does History.txt exist
    Open,        // open it for reading
    Size,
    Read,
    Allocate,  // room for what is read
    Insert,    // one entry into the search box's list
    Create,    // the replacement file
    Write,
    Flush,
    Close,
    Replace,  // the replacement takes History.txt's place
};

// The error a call fails with, or 0 for a call that runs.
using HistoryFault = std::function<DWORD(HistoryCall)>;
// Installs a test's fault and returns the one it replaces.
HistoryFault SetHistoryFault(HistoryFault fault);
// Whether the call is to fail now; if so, the thread's last error says why.
bool HistoryCallFails(HistoryCall call);
