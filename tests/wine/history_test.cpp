// The search history with real controls and real files, in a folder of the
// test's own.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "box_watcher.h"
#include "lookup/form1.h"
#include "lookup/fsetting.h"
#include "lookup/history_store.h"
#include "lookup/open_address.h"
#include "shell/application.h"

namespace {

using Entries = std::vector<std::string>;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Holds a file open without sharing, as another program could.
class FileLock {
public:
    explicit FileLock(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
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

class HistoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Application.Initialize(GetModuleHandleA(nullptr)); }

    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "quorvane-history-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(folder.c_str(), nullptr);
        SetHistoryFolder(folder);
        path = folder + "\\History.txt";
        previous_ = SetShellLauncher([this](HWND, const char*, const char* file, const char*, const char*, int) {
            opened.push_back(std::string(file) + " after " + std::to_string(Entries_().size()) + " entries");
            return INT_PTR{42};
        });
    }
    void TearDown() override {
        form.reset();
        SetShellLauncher(previous_);
        SetHistoryFolder("");
        DeleteFileA(path.c_str());
        DeleteFileA((path + ".new").c_str());
        RemoveDirectoryA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    void StartForm() {
        form = std::make_unique<TForm1>();
        form->Create();
        form->Show();
        SetForegroundWindow(form->Handle());
        Application.ProcessMessages();
    }
    Entries Entries_() const {
        Entries entries;
        if (!form) return entries;
        const LRESULT count = SendMessageA(form->ComboBoxSearch(), CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[512] = {};
            SendMessageA(form->ComboBoxSearch(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    void TypeAndPress(const std::string& text, UINT key) {
        SetWindowTextA(form->ComboBoxSearch(), text.c_str());
        PostKey(GetFocus(), key);
        Application.ProcessMessages();
    }
    void Close() { SendMessageA(form->Handle(), WM_CLOSE, 0, 0); }

    std::string folder, path;
    std::unique_ptr<TForm1> form;
    std::vector<std::string> opened;

private:
    ShellLauncher previous_;
};

TEST_F(HistoryTest, LoadFillsTheListAndLeavesThePlaceholder) {
    WriteFile(path, "b.com\r\nA.com\n\nx y \rlast");
    StartForm();
    EXPECT_EQ(Entries_(), (Entries{"b.com", "A.com", "", "x y ", "last"}));
    EXPECT_EQ(form->SearchText(), "Enter domain, IP address or ASN");
}

TEST_F(HistoryTest, OverTheCapLoadsWholeAndACommitCutsTo200) {
    std::string bytes;
    for (int i = 0; i < 230; ++i) bytes += "q" + std::to_string(i) + "\r\n";
    WriteFile(path, bytes);
    StartForm();
    EXPECT_EQ(Entries_().size(), 230u);
    TypeAndPress("new.com", VK_RETURN);
    const Entries entries = Entries_();
    ASSERT_EQ(entries.size(), 200u);
    EXPECT_EQ(entries.front(), "new.com");
    EXPECT_EQ(entries.back(), "q198");
}

TEST_F(HistoryTest, EnterCommitsBeforeTheLookupAndCloseSavesByteExact) {
    StartForm();
    TypeAndPress(" example.com", VK_RETURN);
    TypeAndPress("AS15169", VK_RETURN);
    TypeAndPress("as15169", VK_RETURN);  // a case-only duplicate: looked up, not stored
    TypeAndPress("   ", VK_RETURN);
    EXPECT_EQ(opened, (std::vector<std::string>{"http://tessaloon.com/whois/%20example.com after 1 entries",
                                                "http://tessaloon.com/whois/AS15169 after 2 entries",
                                                "http://tessaloon.com/whois/as15169 after 2 entries"}));
    EXPECT_EQ(Entries_(), (Entries{"AS15169", " example.com"}));
    EXPECT_FALSE(Exists(path));  // nothing is written before a close
    Close();
    EXPECT_EQ(ReadFile(path), "AS15169\r\n example.com\r\n");
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(Exists(path + ".new"));
}

TEST_F(HistoryTest, TabCommitsWithoutALookup) {
    StartForm();
    TypeAndPress("tab.example", VK_TAB);
    EXPECT_EQ(Entries_(), Entries{"tab.example"});
    EXPECT_TRUE(opened.empty());
}

TEST_F(HistoryTest, MouseClickOnTheButtonCommitsFirst) {
    StartForm();
    SetWindowTextA(form->ComboBoxSearch(), "click.example");
    PostMessageA(form->BitBtnGo(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(form->BitBtnGo(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Application.ProcessMessages();
    EXPECT_EQ(opened, std::vector<std::string>{"http://tessaloon.com/whois/click.example after 1 entries"});
}

TEST_F(HistoryTest, EmptyListSavesAnEmptyFileAndSaveLoadRoundTrips) {
    StartForm();
    Close();
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(ReadFile(path), "");
    const std::string bytes = "a\r\n\r\n b \r\n\xE9t\xE9\r\n";
    WriteFile(path, bytes);
    form.reset();
    StartForm();
    Close();
    EXPECT_EQ(ReadFile(path), bytes);
}

TEST_F(HistoryTest, FailedSaveIsReportedAndLeavesTheOldFile) {
    WriteFile(path, "old\r\n");
    StartForm();
    TypeAndPress("new.example", VK_RETURN);
    BoxRecorder boxes;
    {
        FileLock lock(path);
        ASSERT_TRUE(lock.Held());
        Close();
    }
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].rfind("failure|Cannot create file \"" + path + "\". ", 0), 0u) << boxes.boxes[0];
    EXPECT_EQ(ReadFile(path), "old\r\n");
    EXPECT_FALSE(Exists(path + ".new"));
    Close();  // the next close tries again
    EXPECT_EQ(ReadFile(path), "new.example\r\nold\r\n");
}

TEST_F(HistoryTest, UnreadableFileIsReportedAndTheWindowStillStarts) {
    WriteFile(path, "kept\r\n");
    BoxRecorder boxes;
    {
        FileLock lock(path);
        StartForm();
    }
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].rfind("failure|Cannot open file \"" + path + "\". ", 0), 0u) << boxes.boxes[0];
    EXPECT_EQ(Entries_(), Entries{});
    EXPECT_TRUE(static_cast<bool>(Application.OnEnding));  // the rest of the set-up ran
}

TEST_F(HistoryTest, FolderNamedLikeTheFileCountsAsNoFile) {
    CreateDirectoryA(path.c_str(), nullptr);
    BoxRecorder boxes;
    StartForm();
    EXPECT_EQ(Entries_(), Entries{});
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(HistoryTest, EndingTheProgramSavesTheHistory) {
    StartForm();
    TypeAndPress("kept.example", VK_RETURN);
    ASSERT_TRUE(static_cast<bool>(Application.OnEnding));
    Application.OnEnding(false);
    EXPECT_EQ(ReadFile(path), "kept.example\r\n");
}

// Completion in the live search box, with the history 'Abc1', 'abc', 'xyz'.
class CompletionTest : public HistoryTest {
protected:
    void SetUp() override {
        HistoryTest::SetUp();
        WriteFile(path, "Abc1\r\nabc\r\nxyz\r\n");
        StartForm();
        SetWindowTextA(form->ComboBoxSearch(), "");
    }
    // A typed character as the keyboard delivers it to the focused edit field.
    void Type(char c) {
        PostMessageA(form->SearchEdit(), WM_CHAR, static_cast<unsigned char>(c), 1);
        Application.ProcessMessages();
    }
    // Text, selection and the list's current entry, as "text [start,end] #entry".
    std::string State() const {
        DWORD start = 0, end = 0;
        SendMessageA(form->SearchEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const LRESULT current = SendMessageA(form->ComboBoxSearch(), CB_GETCURSEL, 0, 0);
        return form->SearchText() + " [" + std::to_string(start) + "," + std::to_string(end) + "] #" +
               std::to_string(current);
    }
};

TEST_F(CompletionTest, TypingCompletesFromTheFirstMatchingEntry) {
    Type('a');
    EXPECT_EQ(State(), "abc1 [1,4] #0");
    Type('b');
    EXPECT_EQ(State(), "abc1 [2,4] #0");
    Type('c');
    EXPECT_EQ(State(), "abc1 [3,4] #0");
    Type('\b');
    EXPECT_EQ(State(), "abc [3,3] #-1");
    Type('\b');
    EXPECT_EQ(State(), "ab [2,2] #-1");
}

TEST_F(CompletionTest, UnmatchedCharacterReplacesTheSuggestion) {
    Type('a');
    Type('q');
    EXPECT_EQ(State(), "aq [2,2] #-1");
    SetWindowTextA(form->ComboBoxSearch(), "");
    Type('X');
    EXPECT_EQ(State(), "Xyz [1,3] #2");
}

TEST_F(CompletionTest, BackspaceOnAnEmptyBoxChangesNothing) {
    Type('\b');
    EXPECT_EQ(State(), " [0,0] #-1");
}

TEST_F(CompletionTest, EnterLooksUpTheCompletedTextAndAddsNoCaseDuplicate) {
    Type('a');
    Type('b');
    Type('c');
    PostKey(form->SearchEdit(), VK_RETURN);
    Application.ProcessMessages();
    EXPECT_EQ(opened, std::vector<std::string>{"http://tessaloon.com/whois/abc1 after 3 entries"});
    EXPECT_EQ(Entries_(), (Entries{"Abc1", "abc", "xyz"}));
}

TEST_F(CompletionTest, CaretInsideTheTextInsertsAsUsual) {
    SetWindowTextA(form->ComboBoxSearch(), "xz");
    SendMessageA(form->SearchEdit(), EM_SETSEL, 1, 1);
    Type('y');
    EXPECT_EQ(State(), "xyz [2,2] #-1");
}

TEST_F(CompletionTest, ClearedHistoryCompletesNothing) {
    ClearSearchBox(form->ComboBoxSearch());
    Type('a');
    EXPECT_EQ(State(), "a [1,1] #-1");
}

class ClearTest : public HistoryTest {
protected:
    void SetUp() override {
        HistoryTest::SetUp();
        setting.Create();
    }
    void TearDown() override {
        setting.Destroy();
        HistoryTest::TearDown();
    }
    void Click() {
        FormSetting = &setting;
        Form1 = form.get();
        setting.BitBtnClearAutocompleteClick();
        FormSetting = nullptr;
        Form1 = nullptr;
    }
    TFormSetting setting;
};

TEST_F(ClearTest, SettingsWindowLayout) {
    RECT client{};
    GetClientRect(setting.Handle(), &client);
    const int dpi = static_cast<int>(setting.Dpi());
    EXPECT_EQ(client.right, MulDiv(146, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(61, dpi, 96));
    EXPECT_EQ(WindowText(setting.Handle()), "FormSetting");
    EXPECT_EQ(WindowText(setting.BitBtnClearAutocomplete()), "Clear Auto Complete");
    EXPECT_FALSE(IsWindowVisible(setting.Handle()));
}

TEST_F(ClearTest, ClearDeletesTheFileAndEmptiesTheSearchBox) {
    WriteFile(path, "a\r\nb\r\n");
    StartForm();
    BoxRecorder boxes;
    Click();
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(Entries_(), Entries{});
    EXPECT_EQ(form->SearchText(), "");
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{"|Auto complete cleared"});
}

TEST_F(ClearTest, ClearWithoutAFileStillEmptiesTheList) {
    StartForm();
    TypeAndPress("unsaved.example", VK_RETURN);
    BoxRecorder boxes;
    Click();
    EXPECT_EQ(Entries_(), Entries{});
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{"|Auto complete cleared"});
    Close();
    EXPECT_EQ(ReadFile(path), "");
}

TEST_F(ClearTest, FailedDeletionChangesNothing) {
    WriteFile(path, "a\r\n");
    StartForm();
    BoxRecorder boxes;
    {
        FileLock lock(path);
        Click();
    }
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(Entries_(), Entries{"a"});
    EXPECT_EQ(form->SearchText(), "Enter domain, IP address or ASN");
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{"|Auto complete fail to clear"});
}

TEST_F(ClearTest, WindowMenuCommandShowsTheSettingsWindow) {
    StartForm();
    FormSetting = &setting;
    SendMessageA(form->Handle(), WM_SYSCOMMAND, TForm1::kSettingsCommand, 0);
    FormSetting = nullptr;
    EXPECT_TRUE(IsWindowVisible(setting.Handle()));
}

}  // namespace
