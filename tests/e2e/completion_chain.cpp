// Completion from the history as the user types.
#include "chains.h"

#include <string>

#include "driver_support.h"

namespace {

// The search box's text, selection and current list entry, as
// "text [start,end] #entry".
std::string SearchState(HWND main) {
    DWORD start = 0, end = 0;
    SendMessageA(SearchBox(main), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return Text(SearchBox(main)) + " [" + std::to_string(start) + "," + std::to_string(end) + "] #" +
           std::to_string(SendMessageA(SearchBox(main), CB_GETCURSEL, 0, 0));
}

// Posts typed characters to the search box, each as the keyboard delivers it
// to a Unicode window: one UTF-16 unit a message, whatever the code page; then
// waits until the box shows the expected state: a character handled by the
// program has no other sign to wait for.
void TypeAndExpect(HWND main, const std::string& bytes, const std::string& expected) {
    PostCharacters(SearchEdit(main), bytes);
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (SearchState(main) != expected && GetTickCount64() < deadline) Sleep(10);
    Check(SearchState(main) == expected, "after typing, the search box shows \"" + SearchState(main) +
                                             "\", not \"" + expected + "\"");
}

}  // namespace

// Typing completes from the history 'Abc1', 'abc', 'xyz'; Enter looks up the
// completed text and the history gains no case-only duplicate.
void CompletionExamples() {
    WriteAll(HistoryPath(), "Abc1\r\nabc\r\nxyz\r\n");
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    TypeAndExpect(main, "\b", " [0,0] #-1");
    TypeAndExpect(main, "a", "abc1 [1,4] #0");
    TypeAndExpect(main, "b", "abc1 [2,4] #0");
    TypeAndExpect(main, "c", "abc1 [3,4] #0");
    TypeAndExpect(main, "\b", "abc [3,3] #-1");
    TypeAndExpect(main, "\b", "ab [2,2] #-1");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    TypeAndExpect(main, "a", "abc1 [1,4] #0");
    TypeAndExpect(main, "q", "aq [2,2] #-1");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    TypeAndExpect(main, "X", "Xyz [1,3] #2");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    TypeAndExpect(main, "abc", "abc1 [3,4] #0");
    PressKey(SearchEdit(main), VK_RETURN);
    const auto calls = WaitForRecordedCalls(1);
    Check(calls[0].back() == "http://tessaloon.com/whois/abc1", "browser got \"" + calls[0].back() + "\"");
    PostMessageA(main, WM_CLOSE, 0, 0);
    WaitForFile(HistoryPath(), "Abc1\r\nabc\r\nxyz\r\n");
    EndLikeLogoff(process);
    CheckNothingLeft();
}

// Under a double-byte ANSI code page: a typed double-byte character completes
// from the history, and Backspace removes it whole.
void CompletionDoubleByte() {
    Check(GetACP() == 932, "the ANSI code page is " + std::to_string(GetACP()) + ", not 932");
    const std::string a = "\x82\xA0", i = "\x82\xA2", so = "\x83\x5C";  // two kana, and one whose trail byte is 0x5C
    WriteAll(HistoryPath(), a + i + "\r\n" + so + a + "\r\n");
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    // The control counts its selection in characters.
    TypeAndExpect(main, a, a + i + " [1,2] #0");
    TypeAndExpect(main, "\b", a + " [1,1] #-1");
    TypeAndExpect(main, "\b", " [0,0] #-1");
    TypeAndExpect(main, so, so + a + " [1,2] #1");
    TypeAndExpect(main, "\b", so + " [1,1] #-1");
    TypeAndExpect(main, "\b", " [0,0] #-1");
    EndLikeLogoff(process);
    CheckNothingLeft();
}
