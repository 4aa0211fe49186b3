#include "forms/command_line_query.h"

#include <shellapi.h>

#include <algorithm>

#include "core/texts.h"
#include "win/ansi_code_page.h"
#include "win/application.h"
#include "win/message_boxes.h"
#include "win/single_instance.h"
#include "win/window_text.h"

namespace {

// A refused query is shown in its box no longer than this.
constexpr std::size_t kShownQueryUnits = 80;
// A running copy that has not answered by then is taken for hung.
constexpr UINT kHandOffTimeoutMs = 3000;

std::vector<std::wstring> ProgramArguments() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> result;
    if (!arguments) return result;
    for (int i = 1; i < count; ++i) result.emplace_back(arguments[i]);  // the program's own path left out
    LocalFree(arguments);
    return result;
}

// Another program's window may have the same class name; the program's own
// main window is owned by its application window.
bool IsProgramMainWindow(HWND window) {
    char ownerClass[64] = {};
    const HWND owner = GetWindow(window, GW_OWNER);
    return owner && GetClassNameA(owner, ownerClass, sizeof ownerClass) &&
           std::string_view(ownerClass) == TApplication::kApplicationWindowClass;
}

}  // namespace

QueryCheck CheckOutsideQuery(std::wstring_view query) {
    if (query.size() > kMaxHandOffUnits) return {std::nullopt, texts::kQueryTooLong};
    std::optional<std::string> bytes = AnsiForm(query);
    if (!bytes)
        return {std::nullopt, std::string(texts::kQueryNotInCodePage) + ToAnsi(ShortenedForMessage(query, kShownQueryUnits))};
    if (!LookupAddressFits(*bytes, SystemCodePage())) return {std::nullopt, texts::kQueryTooLong};
    return {OutsideQuery{std::wstring(query), std::move(*bytes)}, {}};
}

StartRequest ReadCommandLine() {
    const CommandLineRequest request = ParseArguments(ProgramArguments());
    if (request.kind != CommandLineRequest::Kind::kQuery) return {request.kind, {}};
    return {request.kind, CheckOutsideQuery(request.query)};
}

std::optional<int> ShowStartBox(const StartRequest& start) {
    if (start.kind == CommandLineRequest::Kind::kUsage) {
        ShowPlainBox(texts::kCommandLineUsage);
        return 0;
    }
    if (start.kind == CommandLineRequest::Kind::kQuery && !start.check.query) {
        ShowErrorBox(start.check.refusal);
        return 1;
    }
    return std::nullopt;
}

bool HandQueryToRunningCopy(HWND sender, const char* mainWindowClass, std::wstring_view query) {
    if (query.empty() || query.size() > kMaxHandOffUnits) return false;
    COPYDATASTRUCT data{};
    data.dwData = kQueryHandOffTag;
    data.cbData = static_cast<DWORD>(query.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(query.data());
    const DWORD self = GetCurrentProcessId();
    for (HWND window = FindWindowExA(nullptr, nullptr, mainWindowClass, nullptr); window;
         window = FindWindowExA(nullptr, window, mainWindowClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == self || !IsProgramMainWindow(window)) continue;
        AllowSetForegroundWindow(owner);  // the running copy comes to the front in this copy's stead
        DWORD_PTR answer = FALSE;
        if (SendMessageTimeoutW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                                reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                kHandOffTimeoutMs, &answer))
            return answer == TRUE;
        return false;  // the running copy did not answer in time
    }
    return false;
}

bool HandedOverAtStart(const StartRequest& start, const char* mainWindowClass) {
    return start.check.query && SingleInstanceGuard::HeldByACopy() &&
           HandQueryToRunningCopy(nullptr, mainWindowClass, start.check.query->wide);
}

std::optional<OutsideQuery> HandedOffQuery(const COPYDATASTRUCT& data) {
    if (data.dwData != kQueryHandOffTag || !data.lpData || data.cbData == 0 || data.cbData % sizeof(wchar_t) != 0 ||
        data.cbData / sizeof(wchar_t) > kMaxHandOffUnits)
        return std::nullopt;
    const std::wstring_view query(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
    if (std::find(query.begin(), query.end(), L'\0') != query.end()) return std::nullopt;
    return CheckOutsideQuery(query).query;
}
