#include "forms/hotkey_store.h"

#include <windows.h>

namespace {

constexpr char kKey[] = "Software\\Quorvane";
constexpr char kValue[] = "Hotkey";

}  // namespace

std::uint32_t StoredHotkey() {
    DWORD word = 0, size = sizeof word;
    if (RegGetValueA(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &word, &size) != ERROR_SUCCESS)
        return 0;
    return word;
}

bool StoreHotkey(std::uint32_t word) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const DWORD value = word;
    const LONG result = word ? RegSetValueExA(key, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                              sizeof value)
                             : RegDeleteValueA(key, kValue);
    RegCloseKey(key);
    return result == ERROR_SUCCESS || (!word && result == ERROR_FILE_NOT_FOUND);
}
