// Stands in for the browser: registered as the Wine prefix's handler for http
// addresses, it appends one line per start to the log named by
// QUORVANE_RECORDER_LOG (default: opened.log beside itself): monotonic
// milliseconds, then every argument it was started with, tab-separated, with
// backslash, tab, CR, LF and other control bytes escaped so a line is exact.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Escape(const char* text) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        switch (*p) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            default:
                if (*p < 0x20 || *p == 0x7F) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", *p);
                    out += hex;
                } else {
                    out += static_cast<char>(*p);
                }
        }
    }
    return out;
}

// Wide: the log lies in the program's folder, whose name may lie outside the
// ANSI code page.
std::wstring LogPath() {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(L"QUORVANE_RECORDER_LOG", buffer, MAX_PATH * 2);
    if (n > 0 && n < MAX_PATH * 2) return buffer;
    std::wstring path(MAX_PATH * 2, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"opened.log";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    std::string line = std::to_string(now.QuadPart * 1000 / frequency.QuadPart);
    for (int i = 0; i < __argc; ++i) line += "\t" + Escape(__argv[i]);
    line += "\r\n";

    // Appends are atomic per write, so concurrent recorders never mix lines.
    const HANDLE log = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    return ok && written == line.size() ? 0 : 1;
}
