#include "forms/history_calls.h"

#include <utility>

namespace {
HistoryFault installedFault;
}  // namespace

HistoryFault SetHistoryFault(HistoryFault fault) { return std::exchange(installedFault, std::move(fault)); }

bool HistoryCallFails(HistoryCall call) {
    if (!installedFault) return false;
    const DWORD error = installedFault(call);
    if (error) SetLastError(error);
    return error != 0;
}
