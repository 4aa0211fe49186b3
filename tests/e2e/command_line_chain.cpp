// The command line: a query looked up at start, handed to the running copy
// by a second start, refused when it cannot be looked up; "/?" shows the usage.
#include "chains.h"

#include <string>

#include "core/texts.h"
#include "driver_support.h"

namespace {

// A box of the program's own with this caption and its one OK button: its
// message text.
std::string OwnBoxText(HWND box) {
    Check(ClassOf(box) == "TMessageForm", "box class is " + ClassOf(box));
    std::string message;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (_stricmp(ClassOf(child).c_str(), "Button") != 0 && !Text(child).empty()) message = Text(child);
    return message;
}

// Clicks the box's OK; the copy must end with this status, its main window
// never shown.
void PressOkAndExpectExit(const ChildProcess& copy, HWND box, DWORD status) {
    Check(!FindVisibleWindow(copy.info.dwProcessId, "WHOIS Lookup"), "the copy shows its main window");
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    const DWORD code = WaitForExit(copy);
    Check(code == status, "exit status " + std::to_string(code));
}

// ANSI text of the running code page as the command line carries it.
std::wstring FromCodePage(const std::string& bytes) {
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

}  // namespace

// The first start looks up its query in the window it shows; a second start
// with a query hands it over and ends at once (a warning box would hold it
// until OK), joined from its arguments and escaped for the shell as typed
// text is; one over the address cap is refused by the second start itself;
// a second start without one is refused as ever. Both lookups are in
// History.txt at the next close.
void CommandLineQueryAndHandOff() {
    ChildProcess first;
    Launch(first, g_exe, -1, L"example.com");
    const HWND main = WaitForVisibleWindow(first, "WHOIS Lookup");
    auto calls = WaitForRecordedCalls(1);
    Check(calls[0].size() == 3 && calls[0][2] == std::string(kLookupPrefix) + "example.com",
          "browser got \"" + calls[0].back() + "\" at start");
    Check(Text(SearchBox(main)) == "example.com", "search box holds \"" + Text(SearchBox(main)) + "\"");

    Deliver(main, WM_CLOSE);  // into the notification area: the hand-off brings it back
    WaitInTray(first, main);
    ChildProcess handing;
    Launch(handing, g_exe, -1, L"\"a\\\"b\"  c&d");  // two arguments: a"b and c&d
    const DWORD handed = WaitForExit(handing);
    Check(handed == 0, "handing copy's exit status " + std::to_string(handed));
    calls = WaitForRecordedCalls(2);
    Check(calls[1].size() == 3 && calls[1][2] == std::string(kLookupPrefix) + "a%22b%20c&d",
          "browser got \"" + calls[1].back() + "\" from the hand-off");
    WaitRestored(main);
    Check(Text(SearchBox(main)) == "a\"b c&d", "search box holds \"" + Text(SearchBox(main)) + "\"");
    // Letters of the code page beyond ASCII (on 932, trail bytes '\' and '|'),
    // handed over whole.
    const std::string local = LocalWord() + ".example";
    ChildProcess handingLocal;
    Launch(handingLocal, g_exe, -1, FromCodePage(local));
    Check(WaitForExit(handingLocal) == 0, "handing copy's exit status");
    calls = WaitForRecordedCalls(3);
    Check(calls[2].size() == 3 && calls[2][2] == std::string(kLookupPrefix) + local,
          "browser got \"" + calls[2].back() + "\" from the hand-off");

    ChildProcess tooLong;
    Launch(tooLong, g_exe, -1, std::wstring(1000, L'a'));
    const HWND error = WaitForVisibleWindow(tooLong, "Error");
    Check(OwnBoxText(error) == texts::kQueryTooLong, "error box says \"" + OwnBoxText(error) + "\"");
    PressOkAndExpectExit(tooLong, error, 1);

    ChildProcess plain;
    Launch(plain, g_exe);
    PressOk(plain, CheckRefusedWithWarning(plain));

    Check(Running(first) && RecordedCalls().size() == 3, "the running copy was harmed");
    Deliver(main, WM_CLOSE);
    WaitForFile(HistoryPath(), local + "\r\na\"b c&d\r\nexample.com\r\n");
    EndAndCheckNothingLeft(first);
}

// "/?" alone shows the usage and ends with status 0, nothing started.
void UsageBox() {
    ChildProcess process;
    Launch(process, g_exe, -1, L"/?");
    const HWND box = WaitForVisibleWindowOf(process, "TMessageForm");
    Check(OwnBoxText(box) == texts::kCommandLineUsage, "usage box says \"" + OwnBoxText(box) + "\"");
    PressOkAndExpectExit(process, box, 0);
    Check(!MarkerPresent(), "the usage left a marker");
    CheckNothingLeft();
}
