// A lookup from the search box to the browser, and the bench's recorder
// standing in for the browser.
#include "chains.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>

#include "driver_support.h"

// The bench itself: an address handed to the shell reaches the recorder
// unchanged, as the one argument after its own path.
void RecorderReceivesTheExactAddress() {
    const std::string address = "http://tessaloon.com/whois/a%20b?q=1&r=%22#frag";
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOW));
    Check(result > 32, "ShellExecuteA failed with " + std::to_string(result));
    const auto calls = WaitForRecordedCalls(1);
    Check(calls[0].size() == 3, "recorder got " + std::to_string(calls[0].size() - 1) + " arguments");
    Check(calls[0][2] == address, "recorder got \"" + calls[0][2] + "\"");
}

// Enter in the search box opens the lookup address through the real shell:
// the browser (the recorder) sees exactly the address as its one argument,
// with a pasted quote and blank escaped, and a word of the code page whole.
void EnterLooksUpTheTypedQuery() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND edit = SearchEdit(WaitForVisibleWindow(process, "WHOIS Lookup"));
    Check(edit != nullptr, "no search box");
    const std::string local = LocalWord() + ".example";
    const std::pair<std::string, std::string> kQueries[] = {
        {"example.com", "example.com"}, {"a\"b c", "a%22b%20c"}, {local, local}};
    size_t count = 0;
    for (const auto& [typed, escaped] : kQueries) {
        CommitByEnter(edit, typed, ++count);
        const auto calls = RecordedCalls();
        Check(calls.back().size() == 3 && calls.back()[2] == "http://tessaloon.com/whois/" + escaped,
              "browser got \"" + calls.back().back() + "\" among " + std::to_string(calls.back().size() - 1) +
                  " arguments");
    }
    EndAndCheckNothingLeft(process);
}
