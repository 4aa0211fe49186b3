// The bulk window: its lines normalized in place and looked up in turn.
#include "chains.h"

#include <string>
#include <vector>

#include "driver_support.h"

// The tray menu's bulk entry closes the main window and shows the bulk
// window; a run normalizes every line of the box in place and looks up the
// first ten display lines, a second apart.
void BulkLookupChain() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    PostMessageA(main, WM_COMMAND, kBulkCommand, 0);
    const HWND bulk = WaitForVisibleWindowOf(process, "TFormBulkWhoisLookupTool");
    Check(Text(bulk) == "Bulk Whois Lookup Tool", "bulk window caption \"" + Text(bulk) + "\"");
    WaitUntil([&] { return !IsWindowVisible(main); }, "main window still shows beside the bulk window");
    Check(Exists(HistoryPath()) && ReadAll(HistoryPath()).empty(),
          "closing the main window left no empty History.txt");

    // Twelve lines, none wrapping: the last two are normalized, not looked up.
    const std::string local = LocalWord() + ".example";
    const std::string kExamples[][2] = {
        {"http://www.Host.Example/x/y", "host.example"}, {"  www.host.example  ", "host.example"},
        {"https://www." + local + "/", local},           {"HTTP://HOST.EXAMPLE", "host.example"},
        {"WWW.HOST.EXAMPLE", "www.host.example"},        {"host.example==xyz", "host.example"},
        {"a/b==c", "a"},                                 {"192.0.2.1/24", "192.0.2.1"},
        {"AS64500", "as64500"},                          {"hthttp://tp://ab", "ab"},
        {"wwwww.w.ab", "ab"},                            {"/host.example", ""},
    };
    std::string text, normalized;
    std::vector<std::string> firstTen;
    for (const auto& [line, entry] : kExamples) {
        text += (text.empty() ? "" : "\r\n") + line;
        normalized += (normalized.empty() ? "" : "\r\n") + entry;
        if (firstTen.size() < 10) firstTen.push_back(entry);
    }
    const HWND memo = GetDlgItem(bulk, 102);
    SendMessageA(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Check(SendMessageA(memo, EM_GETLINECOUNT, 0, 0) == 12, "the examples wrap in the box");
    auto queries = BulkRun(bulk, 0, 10);
    Check(queries == firstTen, "looked up " + Joined(queries));
    Check(Text(memo) == normalized, "box after the run: \"" + Text(memo) + "\"");

    // An empty box opens nothing; typed lines ending in a break have no final
    // empty entry. Posted in turn, each step waits for the one before.
    SendMessageA(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    PostMessageA(GetDlgItem(bulk, 101), BM_CLICK, 0, 0);
    Type(memo, "a\r\rb\r");
    queries = BulkRun(bulk, 10, 3);
    Check(queries == std::vector<std::string>{"a", "", "b"}, "looked up " + Joined(queries));
    Check(Text(memo) == "a\r\n\r\nb\r\n", "box after the run: \"" + Text(memo) + "\"");

    // A line wider than the box is several display lines, each looked up.
    const std::string longLine(120, 'a');
    SendMessageA(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longLine.c_str()));
    const auto shown = static_cast<size_t>(SendMessageA(memo, EM_GETLINECOUNT, 0, 0));
    Check(shown > 1 && shown <= 10, "the long line shows as " + std::to_string(shown) + " lines");
    queries = BulkRun(bulk, 13, shown);
    std::string rejoined;
    for (const std::string& query : queries) rejoined += query.empty() ? "<empty>" : query;
    Check(rejoined == longLine, "looked up " + Joined(queries));

    // Closing the bulk window restores the program, not the main window the
    // bulk entry closed; the menu's first entry brings that back and hides
    // the bulk window.
    Deliver(bulk, WM_SYSCOMMAND, SC_CLOSE);
    Check(!IsWindowVisible(bulk) && !IsWindowVisible(main), "a window shows after the bulk window's close");
    Deliver(main, WM_COMMAND, kBulkCommand);
    Deliver(main, WM_COMMAND, kWhoisLookupCommand);
    WaitRestored(main);
    Check(!IsWindowVisible(bulk), "the bulk window stays beside the restored main window");
    EndAndCheckNothingLeft(process);
}
