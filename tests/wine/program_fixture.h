// The program's windows with real controls and real files, in a folder of the
// test's own.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "box_watcher.h"
#include "forms/main_window.h"
#include "forms/program_windows.h"
#include "forms/search_history.h"
#include "image/picture_classes.h"
#include "image/png_picture.h"
#include "shell_recorder.h"
#include "win/application.h"
#include "win/window_text.h"

using Entries = std::vector<std::string>;

// Paths are wide: the test's folder is named, as a user's may be, in
// characters the ANSI code page lacks (Chinese, Cyrillic and Korean together:
// neither 1252 nor 932 holds them all).
inline std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Holds a file open without sharing, as another program could.
class FileLock {
public:
    explicit FileLock(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~FileLock() { CloseHandle(handle_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// Records the failure and plain boxes that appear, and closes them.
class BoxRecorder {
public:
    BoxRecorder()
        : watcher_([this](HWND window) {
              const std::string cls = ClassName(window);
              if (cls == "#32770") {
                  boxes.push_back("failure|" + BoxMessage(window));
                  PostMessageA(window, WM_COMMAND, IDOK, 0);
              } else if (cls == "TMessageForm") {
                  boxes.push_back(WindowText(window) + "|" + BoxMessage(window));
                  PostKey(GetDlgItem(window, IDOK), VK_RETURN);
              }
          }) {}
    std::vector<std::string> boxes;

private:
    BoxWatcher watcher_;
};

// The program's windows as the entry point builds them, over a History.txt in
// a folder of the test's own, with the shell's hand-offs recorded: the
// fixture of every test of the program's windows together.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');  // a parameterized test's name
        folder = std::wstring(temp) + L"quorvane-program-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::wstring(name.begin(), name.end()) + L"-\u4F8B\u5B50-\u041F\u0440\u0438\u043C\u0435\u0440-\uC608\uC2DC";
        CreateDirectoryW(folder.c_str(), nullptr);
        path = folder + L"\\History.txt";
        RegisterPngPicture(pictures);
        shell.during = [this] { return "after " + std::to_string(ListEntries().size()) + " entries"; };
    }
    void TearDown() override {
        StopProgram();
        DeleteFileW(path.c_str());
        DeleteFileW((path + L".new").c_str());
        RemoveDirectoryW(path.c_str());
        RemoveDirectoryW(folder.c_str());
    }

    // Builds the program's windows and shows the main window, active, as the
    // loop's start would.
    void StartProgram() {
        program = std::make_unique<ProgramWindows>(HistoryPlace{folder, true}, pictures);
        form = Form1;
        form->Show();
        SetForegroundWindow(form->Handle());
        Application.ProcessMessages();
    }
    // Runs the loop as the entry point does, until the program ends. The
    // application window ends with it and is made again for the tests after.
    void RunProgram() {
        program->Run(SW_SHOWNORMAL);
        Application.Initialize(GetModuleHandleA(nullptr));
    }
    void StopProgram() {
        Application.Restore();
        program.reset();
        form = nullptr;
    }
    // The program's four windows, in the order they are made.
    static std::vector<Form*> Forms() { return {Form1, FormAbout, FormSetting, FormBulkWhoisLookupTool}; }

    Entries ListEntries() const {
        Entries entries;
        if (!form) return entries;
        const LRESULT count = SendMessageA(form->ComboBoxSearch(), CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            // Unicode reads: Wine's ANSI read goes through a buffer of 512 characters.
            std::wstring text(static_cast<size_t>(SendMessageW(form->ComboBoxSearch(), CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(form->ComboBoxSearch(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            entries.push_back(ToAnsi(text.c_str()));
        }
        return entries;
    }
    void TypeAndPress(const std::string& text, UINT key) {
        SetWindowTextA(form->ComboBoxSearch(), text.c_str());
        // Into the search box of the active window, as a user types: the
        // display may have moved the activation since the last key.
        SetForegroundWindow(form->Handle());
        SetFocus(form->SearchEdit());
        PostKey(form->SearchEdit(), key);
        Application.ProcessMessages();
    }
    void Close() { SendMessageA(form->Handle(), WM_CLOSE, 0, 0); }

    std::wstring folder, path;
    PictureClassRegistry pictures;
    std::unique_ptr<ProgramWindows> program;
    TForm1* form = nullptr;
    ShellRecorder shell;
};
