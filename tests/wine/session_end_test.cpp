// The session ends while a handler waits in the shell's hand-off, as a shell
// that dispatches sent messages while it works (COM waits, DDE) lets it: the
// program saves, lets go of its icon and marker, and ends once the handler
// has returned, without destroying anything beneath it.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "box_watcher.h"
#include "forms/open_address.h"
#include "forms/program_windows.h"
#include "image/picture_classes.h"
#include "image/png_picture.h"
#include "win/application.h"

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

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
    int launches;       // hand-offs in all, the one that ended the session last
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class SessionEndTest : public ::testing::TestWithParam<Scenario> {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quorvane-session-end-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
        std::filesystem::remove(folder_ / "History.txt");
        previous_ = SetShellLauncher([this](HWND, const char*, const char*, const char*, const char*, int) {
            if (++launches_ == endAt_) EndSessionNow();
            return INT_PTR{42};
        });
    }
    void TearDown() override {
        SetShellLauncher(previous_);
        windows_.reset();
        Application.Initialize(GetModuleHandleA(nullptr));  // for the suites after this one
        std::filesystem::remove_all(folder_);
    }

    // The program as the entry point makes it, with one query looked up.
    void StartProgram() {
        RegisterPngPicture(pictures_);
        windows_ = std::make_unique<ProgramWindows>(HistoryPlace{folder_.wstring(), true}, pictures_);
        forms_ = {Form1->Handle(), FormAbout->Handle(), FormSetting->Handle(), FormBulkWhoisLookupTool->Handle()};
        SetWindowTextA(Form1->ComboBoxSearch(), "first.example");
        PostKey(Form1->SearchEdit(), VK_RETURN);
        Application.ProcessMessages();
        ASSERT_EQ(launches_, 1);
    }

    void EndSessionNow() {
        const HWND app = Application.Handle();
        const bool iconShown = IconShown(Form1->Handle());
        EXPECT_EQ(SendMessageA(app, WM_QUERYENDSESSION, 0, 0), TRUE);
        SendMessageA(app, WM_ENDSESSION, TRUE, 0);
        end_.windowsAlive = true;
        for (HWND form : forms_) end_.windowsAlive = end_.windowsAlive && IsWindow(form);
        end_.markerGone = GlobalFindAtomA(kRunningAtomName) == 0;
        end_.iconGone = iconShown && !IconShown(Form1->Handle());
        end_.saved = ReadAll(folder_ / "History.txt");
    }

    std::filesystem::path folder_;
    PictureClassRegistry pictures_;
    std::unique_ptr<ProgramWindows> windows_;
    std::array<HWND, 4> forms_{};
    int launches_ = 0, endAt_ = 2;
    AtTheEnd end_;

private:
    ShellLauncher previous_;
};

TEST_P(SessionEndTest, SavesAndEndsAfterTheHandlerReturns) {
    const Scenario& scenario = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    scenario.start();
    windows_->Run(SW_SHOWNORMAL);

    EXPECT_EQ(launches_, scenario.launches);
    EXPECT_TRUE(end_.windowsAlive) << "a window went while its handler ran";
    EXPECT_TRUE(end_.markerGone);
    EXPECT_TRUE(end_.iconGone);
    EXPECT_EQ(end_.saved, scenario.saved);
    EXPECT_EQ(ReadAll(folder_ / "History.txt"), scenario.saved) << "written again after the end";
    for (HWND form : forms_) EXPECT_FALSE(IsWindow(form)) << "the program did not end";
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
