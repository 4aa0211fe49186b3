// The About window: its version, its link and Check Update, its closing
// and Exit.
#include "chains.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "driver_support.h"
#include "version.h"

namespace {

const std::string kHomeAddress = "http://tessaloon.com";

// A click on the link as the mouse makes it; the static itself notifies.
void ClickLink(HWND about) {
    Deliver(GetDlgItem(about, kLink), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    Deliver(GetDlgItem(about, kLink), WM_LBUTTONUP, 0, 0);
}

void CheckOpenedHome(size_t count) {
    const auto calls = WaitForRecordedCalls(count);
    Check(calls.back().size() == 3 && calls.back()[2] == kHomeAddress,
          "browser got \"" + calls.back().back() + "\" among " + std::to_string(calls.back().size() - 1) + " arguments");
}

}  // namespace

// From the tray menu: About hides the main and bulk windows (no save), and
// the bulk entry hides About; the link and Check Update open the home page;
// Close Window leaves the main window hidden; Exit saves the history and ends
// the program.
void AboutChain() {
    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    // The bulk entry takes About away for good: the bulk window's close,
    // which restores the program, does not bring it back.
    Deliver(main, WM_COMMAND, kAboutCommand);
    const HWND about = WaitForVisibleWindowOf(process, "TFormAbout");
    Deliver(main, WM_COMMAND, kBulkCommand);
    const HWND bulk = WaitForVisibleWindowOf(process, "TFormBulkWhoisLookupTool");
    Deliver(bulk, WM_SYSCOMMAND, SC_CLOSE);
    Check(!IsWindowVisible(about) && !IsWindowVisible(bulk), "a window shows after the bulk window's close");
    Deliver(main, WM_COMMAND, kWhoisLookupCommand);
    WaitRestored(main);
    Deliver(main, WM_COMMAND, kBulkCommand);
    Deliver(main, WM_COMMAND, kAboutCommand);
    Check(Text(about) == "About", "About caption \"" + Text(about) + "\"");
    // The title line names the version the build was made with.
    const std::string title = Text(GetDlgItem(about, kTitleLabel));
    Check(title == "Quorvane v " QUORVANE_VERSION, "About title \"" + title + "\"");
    Check(!IsWindowVisible(main) && !IsWindowVisible(bulk), "About left the main or bulk window showing");
    // The main window closed to the tray when the bulk window came: the
    // restore of Close Window must not bring it back.
    Deliver(GetDlgItem(about, kCloseWindowButton), BM_CLICK);
    Check(!IsWindowVisible(about) && !IsWindowVisible(bulk) && !IsWindowVisible(main),
          "a window shows after the first Close Window");
    // Closed from its title bar while the program is minimized (by the bulk
    // window again): the program is restored and nothing shows.
    Deliver(main, WM_COMMAND, kBulkCommand);
    Deliver(main, WM_COMMAND, kAboutCommand);
    Check(IsWindowVisible(about) && IsIconic(GetWindow(about, GW_OWNER)), "About not shown over the minimized program");
    Deliver(about, WM_SYSCOMMAND, SC_CLOSE);
    Check(!IsWindowVisible(about) && !IsWindowVisible(bulk) && !IsWindowVisible(main) &&
              !IsIconic(GetWindow(about, GW_OWNER)),
          "title-bar close of About left a window showing or the program minimized");
    Deliver(main, WM_COMMAND, kWhoisLookupCommand);
    WaitRestored(main);

    CommitByEnter(SearchEdit(main), "about.example", 1);
    const std::string saved = ReadAll(HistoryPath());
    Deliver(main, WM_COMMAND, kAboutCommand);
    Check(IsWindowVisible(about) && !IsWindowVisible(main), "About not shown, or the main window stays");
    ClickLink(about);
    CheckOpenedHome(2);
    Deliver(GetDlgItem(about, kCheckUpdateButton), BM_CLICK);
    CheckOpenedHome(3);
    Deliver(GetDlgItem(about, kCloseWindowButton), BM_CLICK);
    Check(!IsWindowVisible(about) && !IsWindowVisible(bulk) && !IsWindowVisible(main),
          "a window shows after Close Window");
    Check(ReadAll(HistoryPath()) == saved, "History.txt written before Exit: \"" + ReadAll(HistoryPath()) + "\"");

    Check(MarkerPresent() && IconPresent(main), "no marker or icon before Exit");
    ExitFromAbout(process, main);
    Check(!MarkerPresent(), "marker left after Exit");
    Check(!IconPresent(main), "icon left after Exit");
    Check(ReadAll(HistoryPath()) == "about.example\r\n", "History.txt holds \"" + ReadAll(HistoryPath()) + "\"");
    CheckNothingLeft();
}

// When the browser cannot be started, Check Update says so with the shell's
// code and the About window stays; the link's hand-off reports nothing.
void CheckUpdateFailureIsReported() {
    BrokenHttpHandler broken;
    SHELLEXECUTEINFOA probe{};
    probe.cbSize = sizeof probe;
    probe.fMask = SEE_MASK_FLAG_NO_UI;
    probe.lpVerb = "Open";
    probe.lpFile = kHomeAddress.c_str();
    probe.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&probe);
    const auto shellCode = reinterpret_cast<INT_PTR>(probe.hInstApp);
    Check(shellCode <= 32, "the broken handler still starts: " + std::to_string(shellCode));

    ChildProcess process;
    Launch(process, g_exe);
    const HWND main = WaitForVisibleWindow(process, "WHOIS Lookup");
    Deliver(main, WM_COMMAND, kAboutCommand);
    const HWND about = WaitForVisibleWindowOf(process, "TFormAbout");
    ClickLink(about);  // a box would hold the click until closed
    Check(!FindVisibleWindow(process.info.dwProcessId, "Error"), "the link reported its failure");

    PostMessageA(GetDlgItem(about, kCheckUpdateButton), BM_CLICK, 0, 0);
    const HWND box = WaitForVisibleWindow(process, "Error");
    Check(ClassOf(box) == "TMessageForm", "error window class is " + ClassOf(box));
    const std::string expected =
        "Unable To access URL \"" + kHomeAddress + "\", error code [" + std::to_string(shellCode) + "].";
    Check(BoxMessage(box) == expected, "error box says \"" + BoxMessage(box) + "\", not \"" + expected + "\"");
    Check(IsWindowVisible(about), "About went away behind the error box");
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(box); }, "error box stays after OK");
    Check(IsWindowVisible(about) && IsWindowEnabled(about), "About not usable after the error box");
    WaitForRecordedCalls(0);
    EndLikeLogoff(process);
    CheckNothingLeft();
}
