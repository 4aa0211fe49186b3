// A window's text as an ANSI string, whatever its length, and the text of the
// Unicode messages in the ANSI code page and back.
#pragma once

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

inline std::string WindowText(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A window's text as the Unicode messages give it.
inline std::wstring WideWindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Text of the Unicode messages in the ANSI code page. No flags and no default
// character: the only form every code page takes, UTF-8 included; a
// character without an ANSI form comes out as the code page's nearest or
// default character.
inline std::string ToAnsi(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// ANSI text in UTF-16. A byte that is no character becomes U+FFFD, or the
// code page's default character.
inline std::wstring FromAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
    return wide;
}

// The ANSI bytes of `wide`, or nothing when it has no exact ANSI form: it is
// converted and back, and must come back the same. This works on every code
// page; the conversion's own report of a default character does not on UTF-8.
inline std::optional<std::string> AnsiForm(std::wstring_view wide) {
    std::string bytes = ToAnsi(wide);
    if (bytes.empty() || FromAnsi(bytes) != wide) return std::nullopt;
    return bytes;
}
