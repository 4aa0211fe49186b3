// The session ends while a handler waits in the shell's hand-off, as a shell
// that dispatches sent messages while it works (COM waits, DDE) lets it: the
// program saves, lets go of its icon and marker, and ends once the handler
// has returned, without destroying anything beneath it.
#include <array>
#include <functional>
#include <string>

#include "program_fixture.h"

namespace {

// What the launcher saw right after the session's end returned to it.
struct AtTheEnd {
    bool windowsAlive = false;
    bool markerGone = false;
    bool iconGone = false;  // having been there before
    std::string saved;
};

struct Scenario {
    const char* name;
    // Starts the handler whose hand-off ends the session.
    std::function<void()> start;
    std::string saved;  // History.txt once the session has ended
    size_t launches;    // hand-offs in all, the one that ended the session last
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class SessionEndTest : public ProgramTest, public ::testing::WithParamInterface<Scenario> {
protected:
    // The program with one query looked up; the second hand-off ends the session.
    void StartWithOneLookup() {
        StartProgram();
        forms_ = {Form1->Handle(), FormAbout->Handle(), FormSetting->Handle(), FormBulkWhoisLookupTool->Handle()};
        shell.during = [this] {
            if (shell.calls.size() == 2) EndSessionNow();
            return std::string();
        };
        TypeAndPress("first.example", VK_RETURN);
        ASSERT_EQ(shell.calls.size(), 1u);
    }

    void EndSessionNow() {
        const HWND app = Application.Handle();
        const bool iconShown = IconShown(Form1->Handle());
        EXPECT_EQ(SendMessageA(app, WM_QUERYENDSESSION, 0, 0), TRUE);
        SendMessageA(app, WM_ENDSESSION, TRUE, 0);
        end_.windowsAlive = true;
        for (HWND window : forms_) end_.windowsAlive = end_.windowsAlive && IsWindow(window);
        end_.markerGone = GlobalFindAtomA(kRunningAtomName) == 0;
        end_.iconGone = iconShown && !IconShown(Form1->Handle());
        end_.saved = ReadFile(path);
    }

    std::array<HWND, 4> forms_{};
    AtTheEnd end_;
};

TEST_P(SessionEndTest, SavesAndEndsAfterTheHandlerReturns) {
    const Scenario& scenario = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartWithOneLookup());
    scenario.start();
    RunProgram();

    EXPECT_EQ(shell.calls.size(), scenario.launches);
    EXPECT_TRUE(end_.windowsAlive) << "a window went while its handler ran";
    EXPECT_TRUE(end_.markerGone);
    EXPECT_TRUE(end_.iconGone);
    EXPECT_EQ(end_.saved, scenario.saved);
    EXPECT_EQ(ReadFile(path), scenario.saved) << "written again after the end";
    for (HWND window : forms_) EXPECT_FALSE(IsWindow(window)) << "the program did not end";
}

const Scenario kScenarios[] = {
    {"Enter", [] {
         SetWindowTextA(Form1->ComboBoxSearch(), "second.example");
         PostKey(Form1->SearchEdit(), VK_RETURN);
     }, "second.example\r\nfirst.example\r\n", 2},
    {"LookupButton", [] {
         SetWindowTextA(Form1->ComboBoxSearch(), "typed.example");
         PostMessageA(Form1->Handle(), WM_COMMAND, MAKEWPARAM(TForm1::kBitBtnGo, BN_CLICKED),
                      reinterpret_cast<LPARAM>(Form1->BitBtnGo()));
     }, "first.example\r\n", 2},
    // The run stops at the hand-off that ended the session: no more pages,
    // no pause.
    {"BulkRun", [] {
         SetWindowTextA(FormBulkWhoisLookupTool->Memo1(), "a.example\r\nb.example\r\nc.example");
         PostMessageA(FormBulkWhoisLookupTool->Handle(), WM_COMMAND,
                      MAKEWPARAM(TFormBulkWhoisLookupTool::kBitBtnBulkLookup, BN_CLICKED),
                      reinterpret_cast<LPARAM>(FormBulkWhoisLookupTool->BitBtnBulkLookup()));
     }, "first.example\r\n", 2},
    {"CheckUpdate", [] {
         PostMessageA(FormAbout->Handle(), WM_COMMAND, MAKEWPARAM(TFormAbout::kBitBtnUpdate, BN_CLICKED), 0);
     }, "first.example\r\n", 2},
};

INSTANTIATE_TEST_SUITE_P(FromInsideTheHandOff, SessionEndTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
