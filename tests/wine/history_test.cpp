// Loading, committing and saving the history through the main window.
#include "history_fixture.h"

#include <cstring>
#include <functional>
#include <set>

#include "core/history_rules.h"
#include "forms/program_windows.h"
#include "win/window_text.h"

namespace {

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
    EXPECT_FALSE(IsWindowVisible(form->Handle()));  // hidden in the notification area
    EXPECT_FALSE(Exists(path + L".new"));
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
    SetWindowTextA(form->ComboBoxSearch(), "typed.example");  // leaving by a close commits nothing
    Close();
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(ReadFile(path), "");
    // An entry past 511 characters, longer than Wine's buffer for an ANSI read
    // of a list entry; and "\u00E9t\u00E9" in the form of the code page the test
    // runs under, bytes from 128 up in 1252 and UTF-8 (a lone 0xE9 would be
    // no character in 932 or UTF-8, and the list would not keep it).
    const std::string bytes =
        "a\r\n\r\n b \r\n" + ToAnsi(L"\u00E9t\u00E9") + "\r\n" + std::string(100000, 'L') + "\r\n";
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
    TFormBulkWhoisLookupTool bulk;
    bulk.Create(Application);
    WindowRules rules;
    rules.main = form.get();
    rules.bulk = &bulk;
    rules.Connect();
    {
        FileLock lock(path);
        ASSERT_TRUE(lock.Held());
        Close();
        // Whatever asked for the close goes no further: the menu's bulk entry,
        // and the bulk window's own show, which closes the main window first.
        form->BulkWhoisLookup1Click();
        bulk.Show();
    }
    form->SetRequests(nullptr);
    EXPECT_FALSE(bulk.Visible());
    ASSERT_EQ(boxes.boxes.size(), 3u);  // one for each close
    EXPECT_EQ(boxes.boxes[0].rfind("failure|Cannot create file \"" + ToAnsi(path) + "\". ", 0), 0u) << boxes.boxes[0];
    EXPECT_EQ(ReadFile(path), "old\r\n");
    EXPECT_FALSE(Exists(path + L".new"));
    EXPECT_FALSE(Application.Minimized());  // the window stays
    EXPECT_TRUE(form->Visible());
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
    EXPECT_EQ(boxes.boxes[0].rfind("failure|Cannot open file \"" + ToAnsi(path) + "\". ", 0), 0u) << boxes.boxes[0];
    EXPECT_EQ(Entries_(), Entries{});
    EXPECT_EQ(ownerRules->TrayIconData().hWnd, form->Handle());  // the rest of the set-up ran
}

std::string Repeated(const std::string& text, size_t times) {
    std::string bytes;
    bytes.reserve(text.size() * times);
    for (size_t i = 0; i < times; ++i) bytes += text;
    return bytes;
}

// A load takes the lines that end within the first 4 MiB, at most the first
// 10,000 of them; what it did not take is not saved again.
TEST_F(HistoryTest, HugeFileLoadsItsFirstLinesOnly) {
    std::string shortEntries;
    for (size_t i = 0; i < kHistoryLoadCap + 5; ++i) shortEntries += std::to_string(i % 10) + "\r\n";
    const struct {
        std::string file;
        size_t entries;
        std::string lastEntry;
    } kFiles[] = {
        {"a\r\nb\r" + std::string(kHistoryReadLimit, 'x') + "\r\nc\r\n", 2, "b"},
        {std::string(kHistoryReadLimit + 1, '\n'), kHistoryLoadCap, ""},
        {Repeated("\r\n", kHistoryReadLimit / 2 + 1), kHistoryLoadCap, ""},
        {shortEntries, kHistoryLoadCap, "9"},
    };
    for (const auto& file : kFiles) {
        WriteFile(path, file.file);
        StartForm();
        const Entries entries = Entries_();
        ASSERT_EQ(entries.size(), file.entries);
        EXPECT_EQ(entries.back(), file.lastEntry);
        Close();
        EXPECT_EQ(ReadFile(path), SerializeHistory(entries));
        Application.Restore();
        form.reset();
    }
}

// A file left at the replacement's name, or a link planted there, neither
// stops the save nor is written through.
TEST_F(HistoryTest, StaleReplacementFileIsRemovedNotWrittenThrough) {
    const std::wstring replacement = path + L".new", target = folder + L"\\target.txt";
    const struct {
        const char* what;
        std::function<bool()> plant;
    } kStale[] = {
        {"a plain file",
         [&] {
             WriteFile(replacement, "stale");
             return Exists(replacement);
         }},
        {"a hard link to another file",
         [&] {
             WriteFile(target, "target");
             return CreateHardLinkW(replacement.c_str(), target.c_str(), nullptr) && Exists(replacement);
         }},
        {"a symbolic link to another file",
         [&] {
             WriteFile(target, "target");
             const DWORD attributes = CreateSymbolicLinkW(replacement.c_str(), target.c_str(), 0)
                                          ? GetFileAttributesW(replacement.c_str())
                                          : INVALID_FILE_ATTRIBUTES;
             return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
         }},
    };
    for (const auto& stale : kStale) {
        SCOPED_TRACE(stale.what);
        if (!stale.plant()) {
            std::printf("%s could not be made here: not tested\n", stale.what);
            continue;
        }
        StartForm();
        TypeAndPress(stale.what, VK_RETURN);
        BoxRecorder boxes;
        Close();
        EXPECT_EQ(boxes.boxes, std::vector<std::string>{});
        EXPECT_EQ(ReadFile(path), std::string(stale.what) + "\r\n");
        EXPECT_FALSE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
        EXPECT_FALSE(Exists(replacement));
        if (Exists(target)) {
            EXPECT_EQ(ReadFile(target), "target");
        }
        Application.Restore();
        form.reset();
        DeleteFileW(path.c_str());
        DeleteFileW(target.c_str());
    }
}

// A close request that comes while the first one's failure box is up is not
// handled again: one box, not a stack of them.
TEST_F(HistoryTest, SecondCloseWhileTheFailureBoxIsUpAddsNoBox) {
    WriteFile(path, "old\r\n");
    StartForm();
    FileLock lock(path);
    std::set<HWND> boxes;
    BoxWatcher watcher([&](HWND window) {
        if (ClassName(window) != "#32770" || !boxes.insert(window).second) return;
        PostMessageA(form->Handle(), WM_CLOSE, 0, 0);  // reaches the box's own loop first
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    Close();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(form->Visible());
}

// A file that could not be read at start-up is never replaced by this run's
// list alone: while it stays unreadable the save fails and the window stays;
// once readable, its entries follow the list's.
TEST_F(HistoryTest, UnreadFileIsMergedAtTheNextSaveNotOverwritten) {
    WriteFile(path, "old.example\r\nNEW.example\r\nolder.example\r\n");
    BoxRecorder boxes;
    {
        FileLock lock(path);
        StartForm();
        TypeAndPress("new.example", VK_RETURN);
        Close();
    }
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].rfind("failure|Cannot open file \"" + ToAnsi(path) + "\". ", 0), 0u) << boxes.boxes[1];
    EXPECT_TRUE(form->Visible());
    Close();
    EXPECT_EQ(ReadFile(path), "new.example\r\nold.example\r\nolder.example\r\n");
}

TEST_F(HistoryTest, FolderNamedLikeTheFileCountsAsNoFile) {
    CreateDirectoryW(path.c_str(), nullptr);
    BoxRecorder boxes;
    StartForm();
    EXPECT_EQ(Entries_(), Entries{});
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(HistoryTest, EndingTheProgramSavesTheHistory) {
    StartForm();
    TypeAndPress("kept.example", VK_RETURN);
    ASSERT_TRUE(Application.ListensForEnding(ownerRules.get()));
    Application.NotifyEnding(false);
    EXPECT_EQ(ReadFile(path), "kept.example\r\n");
}

}  // namespace
