// Where the hotkey is kept: per user, in the registry (HKCU\Software\Quorvane,
// the DWORD "Hotkey", the hotkey field's word), never beside the program.
#pragma once

#include <cstdint>

// The stored word; 0 when there is none or it cannot be read: the hotkey is off.
std::uint32_t StoredHotkey();
// Keeps the word; 0 removes the value. False when the registry refused.
bool StoreHotkey(std::uint32_t word);
