// A query that comes from outside the search box: the program's command line,
// or a second copy's hand-off to the running one. Either is taken only when
// the search box could take it as typed text: every character in the ANSI
// code page, and its lookup address within the shell's cap.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_line.h"
#include "core/lookup_address.h"

struct OutsideQuery {
    std::wstring wide;
    std::string bytes;  // in the ANSI code page
};

// The query's ANSI bytes, or the refusal's text.
struct QueryCheck {
    std::optional<OutsideQuery> query;
    std::string refusal;
};
QueryCheck CheckOutsideQuery(std::wstring_view query);

// What the command line asks for, read and checked once: the usage, a
// query (taken, or refused with its reason), or nothing.
struct StartRequest {
    CommandLineRequest::Kind kind = CommandLineRequest::Kind::kNothing;
    QueryCheck check;  // for a query
};
StartRequest ReadCommandLine();
// Shows the usage box or the refused query's error box, and answers the
// status the program then ends with; none when it runs on.
std::optional<int> ShowStartBox(const StartRequest& start);

// WM_COPYDATA's tag for a query handed to the running copy: the text in
// UTF-16 without a terminating zero. More units than the address cap's bytes
// could never fit it, so a longer payload is refused unread.
inline constexpr ULONG_PTR kQueryHandOffTag = 0x51764871;
inline constexpr std::size_t kMaxHandOffUnits = kMaxShellAddressLength;

// Hands the query to the running copy's main window (of this window class,
// owned by an application window of the program), waiting at most a few
// seconds for its answer; true when it took the query. `sender` is this
// copy's own window.
bool HandQueryToRunningCopy(HWND sender, const char* mainWindowClass, std::wstring_view query);
// A second start with a query hands it over before it makes anything of its
// own (the application window, the history's place), most of what a start
// costs. True when the running copy took it; false when no copy runs, the
// query is refused (the start says so as ever), or the hand-off failed (the
// start then goes on as ever: it tries once more, or warns).
bool HandedOverAtStart(const StartRequest& start, const char* mainWindowClass);
// The query a hand-off carries, checked as the command line's would be; none
// for a payload of another kind, size or content.
std::optional<OutsideQuery> HandedOffQuery(const COPYDATASTRUCT& data);
