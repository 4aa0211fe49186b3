// Hostile queries through Enter and the bulk window: each handed off
// exactly, and nothing else started.
#include "chains.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "driver_support.h"

namespace {

// A query as pasted into the search box and looked up by Enter: exactly one
// hand-off whose one argument is the escaped address, or none for a query
// that is blank once trimmed. The Enter is posted as its character, so a
// later step queues behind it.
struct Hostile {
    std::string query, escaped;  // escaped: the address's query part; none when empty and !handedOff
    bool handedOff = true;
};

std::vector<Hostile> HostileQueries() {
    std::vector<Hostile> rows = {
        {"\"quoted\"", "%22quoted%22"},
        {" lead and trail ", "%20lead%20and%20trail%20"},
        {"a\tb\x01\x1F\x7F", "a%09b%01%1F%7F"},
        {"100%", "100%"},
        {"%20%%41%", "%20%%41%"},
        {"--x", "--x"},
        {"/c calc", "/c%20calc"},
        {"x\" & calc & \"", "x%22%20&%20calc%20&%20%22"},
        {"a&b|c^d<e>f`{}", "a&b%7Cc%5Ed%3Ce%3Ef%60%7B%7D"},
        {"\\\\server\\share", "%5C%5Cserver%5Cshare"},
        {" \t\x01 ", "", false},
        {"%1 %2 %*", "%1%20%2%20%*"},
    };
    if (GetACP() == 932) {
        rows.push_back({"\x83\x5C\x83\x7C", "\x83\x5C\x83\x7C"});  // trail bytes '\' and '|' stay in their pairs
        rows.push_back({"\x82\xA0 \x82\xA2\"", "\x82\xA0%20\x82\xA2%22"});
        rows.push_back({"\xB1\xB2\xDF", "\xB1\xB2\xDF"});  // single-byte katakana
    } else {
        rows.push_back({"\x80\x81\xA0\xE9\xFF", "\x80\x81\xA0\xE9\xFF"});
    }
    std::string longQuery;
    while (longQuery.size() < 100 * 1024) longQuery += "a\" ";
    // The longest address the program hands off, and one far longer: none.
    rows.push_back({std::string(960 - std::strlen(kLookupPrefix), 'x'), std::string(960 - std::strlen(kLookupPrefix), 'x')});
    rows.push_back({longQuery, "", false});
    return rows;
}

std::string LongText(HWND window) {
    std::string text(static_cast<size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

bool NoRecorderRuns() { return CountProcesses("url_recorder.exe") == 0; }

}  // namespace

void HostileQueriesAreHandedOffExactly() {
    std::vector<std::string> processesBefore;  // once the first hand-off has started the shell's own services
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    const HWND edit = SearchEdit(main);
    size_t handOffs = 0;
    for (const Hostile& row : HostileQueries()) {
        const std::string shown = row.query.size() > 40 ? row.query.substr(0, 40) + "..." : row.query;
        SendMessageA(SearchBox(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.query.c_str()));
        Check(LongText(SearchBox(main)) == row.query, "the search box does not hold \"" + shown + "\"");
        SendMessageA(edit, EM_SETSEL, 0, 0);
        PostMessageA(edit, WM_CHAR, '\r', 1);
        PostMessageA(edit, EM_SETSEL, 0, 1);  // queued behind the Enter: its sign of being handled
        WaitUntil([&] { return SendMessageA(edit, EM_GETSEL, 0, 0) == MAKELRESULT(0, 1); }, "Enter not handled");
        if (row.handedOff) ++handOffs;
        const auto calls = WaitForRecordedCalls(handOffs);
        if (!row.handedOff) continue;
        Check(calls.back().size() == 3 && calls.back()[2] == std::string(kLookupPrefix) + row.escaped,
              "\"" + shown + "\": browser got " + std::to_string(calls.back().size() - 1) + " arguments, the last \"" +
                  calls.back().back().substr(0, 80) + "\"");
        if (processesBefore.empty()) {
            WaitUntil(NoRecorderRuns, "a recorder runs on");
            processesBefore = ProcessNames();
        }
    }
    std::printf("%zu queries through Enter\n", HostileQueries().size());

    // Through the bulk window: each line normalized, then handed off the same way.
    const std::vector<std::pair<std::string, std::string>> kBulk = {
        {"A\"B", "a%22b"}, {"--x /c", "--x"}, {"100%&calc", "100%&calc"}, {"a\tb\x01^|<>", "a%09b%01%5E%7C%3C%3E"},
        {GetACP() == 932 ? "\x83\x5C\x83\x7C" : "\xC9\x80", GetACP() == 932 ? "\x83\x5C\x83\x7C" : "\xE9\x80"},
    };
    std::string lines;
    std::vector<std::string> expected;
    for (const auto& [line, escaped] : kBulk) {
        lines += (lines.empty() ? "" : "\r\n") + line;
        expected.push_back(escaped);
    }
    Deliver(main, WM_COMMAND, kBulkCommand);
    const HWND bulk = WaitForVisibleWindowOf(process, "TFormBulkWhoisLookupTool");
    SendMessageA(GetDlgItem(bulk, 102), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lines.c_str()));
    const auto queries = BulkRun(bulk, handOffs, expected.size());
    Check(queries == expected, "bulk looked up " + Joined(queries));
    WaitUntil(NoRecorderRuns, "a recorder runs on");
    const std::vector<std::string> processesAfter = ProcessNames();
    Check(processesAfter == processesBefore, "other processes: " + Joined(processesBefore) + " before, " +
                                                 Joined(processesAfter) + " after");
    EndLikeLogoff(process);
    CheckNothingLeft();
}
