// Loading, committing and saving the history through the main window.
#include "program_fixture.h"

#include <cstring>
#include <functional>
#include <set>

#include "core/history_rules.h"
#include "forms/history_calls.h"
#include "forms/program_windows.h"
#include "forms/settings_window.h"
#include "win/window_text.h"

namespace {

using HistoryTest = ProgramTest;

TEST_F(HistoryTest, LoadFillsTheListAndLeavesThePlaceholder) {
    WriteFile(path, "b.com\r\nA.com\n\nx y \rlast");
    StartProgram();
    EXPECT_EQ(ListEntries(), (Entries{"b.com", "A.com", "", "x y ", "last"}));
    EXPECT_EQ(form->SearchText(), "Enter domain, IP address or ASN");
}

TEST_F(HistoryTest, OverTheCapLoadsWholeAndACommitCutsTo200) {
    std::string bytes;
    for (int i = 0; i < 230; ++i) bytes += "q" + std::to_string(i) + "\r\n";
    WriteFile(path, bytes);
    StartProgram();
    EXPECT_EQ(ListEntries().size(), 230u);
    TypeAndPress("new.com", VK_RETURN);
    const Entries entries = ListEntries();
    ASSERT_EQ(entries.size(), 200u);
    EXPECT_EQ(entries.front(), "new.com");
    EXPECT_EQ(entries.back(), "q198");
}

TEST_F(HistoryTest, EnterCommitsBeforeTheLookupAndCloseSavesByteExact) {
    StartProgram();
    TypeAndPress(" example.com", VK_RETURN);
    TypeAndPress("AS15169", VK_RETURN);
    TypeAndPress("as15169", VK_RETURN);  // a case-only duplicate: looked up, not stored
    TypeAndPress("   ", VK_RETURN);
    EXPECT_EQ(shell.Opened(), (std::vector<std::string>{"http://tessaloon.com/whois/%20example.com after 1 entries",
                                                "http://tessaloon.com/whois/AS15169 after 2 entries",
                                                "http://tessaloon.com/whois/as15169 after 2 entries"}));
    EXPECT_EQ(ListEntries(), (Entries{"AS15169", " example.com"}));
    EXPECT_FALSE(Exists(path));  // nothing is written before a close
    Close();
    EXPECT_EQ(ReadFile(path), "AS15169\r\n example.com\r\n");
    EXPECT_FALSE(IsWindowVisible(form->Handle()));  // hidden in the notification area
    EXPECT_FALSE(Exists(path + L".new"));
}

TEST_F(HistoryTest, EmptyListSavesAnEmptyFileAndSaveLoadRoundTrips) {
    StartProgram();
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
    StopProgram();
    StartProgram();
    Close();
    EXPECT_EQ(ReadFile(path), bytes);
}

TEST_F(HistoryTest, FailedSaveIsReportedAndLeavesTheOldFile) {
    WriteFile(path, "old\r\n");
    StartProgram();
    TypeAndPress("new.example", VK_RETURN);
    BoxRecorder boxes;
    TFormBulkWhoisLookupTool& bulk = *FormBulkWhoisLookupTool;
    {
        FileLock lock(path);
        ASSERT_TRUE(lock.Held());
        Close();
        // Whatever asked for the close goes no further: the menu's bulk entry,
        // and the bulk window's own show, which closes the main window first.
        form->BulkWhoisLookup1Click();
        bulk.Show();
    }
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
        StartProgram();
    }
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].rfind("failure|Cannot open file \"" + ToAnsi(path) + "\". ", 0), 0u) << boxes.boxes[0];
    EXPECT_EQ(ListEntries(), Entries{});
    EXPECT_EQ(form->Icon().Data().hWnd, form->Handle());  // the rest of the set-up ran
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
        StartProgram();
        const Entries entries = ListEntries();
        ASSERT_EQ(entries.size(), file.entries);
        EXPECT_EQ(entries.back(), file.lastEntry);
        Close();
        EXPECT_EQ(ReadFile(path), SerializeHistory(entries));
        Application.Restore();
        StopProgram();
    }
}

// A file left at the replacement's name, or a link planted there, neither
// stops the save nor is written through.
TEST_F(HistoryTest, StaleReplacementFileIsRemovedNotWrittenThrough) {
    const std::wstring replacement = path + L".new", target = folder + L"\\target.txt";
    std::unique_ptr<FileLock> held;
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
        {"a folder", [&] { return CreateDirectoryW(replacement.c_str(), nullptr) != FALSE; }},
        {"a file another program holds open",
         [&] {
             WriteFile(replacement, "held");
             held = std::make_unique<FileLock>(replacement);
             return held->Held();
         }},
    };
    for (const auto& stale : kStale) {
        SCOPED_TRACE(stale.what);
        if (!stale.plant()) {
            std::printf("%s could not be made here: not tested\n", stale.what);
            continue;
        }
        StartProgram();
        TypeAndPress(stale.what, VK_RETURN);
        BoxRecorder boxes;
        Close();
        EXPECT_EQ(boxes.boxes, std::vector<std::string>{});
        EXPECT_EQ(ReadFile(path), std::string(stale.what) + "\r\n");
        EXPECT_FALSE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
        if (held) {
            held.reset();
            EXPECT_EQ(ReadFile(replacement), "held");  // untouched
        } else if (!RemoveDirectoryW(replacement.c_str())) {
            EXPECT_FALSE(Exists(replacement));
        }
        if (Exists(target)) {
            EXPECT_EQ(ReadFile(target), "target");
        }
        Application.Restore();
        StopProgram();
        DeleteFileW(path.c_str());
        DeleteFileW(target.c_str());
        DeleteFileW(replacement.c_str());
    }
}

// A close request that comes while the first one's failure box is up is not
// handled again: one box, not a stack of them.
TEST_F(HistoryTest, SecondCloseWhileTheFailureBoxIsUpAddsNoBox) {
    WriteFile(path, "old\r\n");
    StartProgram();
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
        StartProgram();
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
    StartProgram();
    EXPECT_EQ(ListEntries(), Entries{});
    EXPECT_TRUE(boxes.boxes.empty());
}

// Exit saves before the program ends; a failed save is reported while the
// loop still runs, and the program stays. (The successful Exit, which ends
// the loop, is the end-to-end chain's.)
TEST_F(HistoryTest, FailedSaveAtExitIsReportedAndTheProgramStays) {
    WriteFile(path, "old\r\n");
    StartProgram();
    TypeAndPress("kept.example", VK_RETURN);
    BoxRecorder boxes;
    {
        FileLock lock(path);
        FormAbout->ExitClick();
    }
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].rfind("failure|Cannot create file \"" + ToAnsi(path) + "\". ", 0), 0u) << boxes.boxes[0];
    EXPECT_FALSE(Application.Terminated());
    EXPECT_EQ(ReadFile(path), "old\r\n");
}

// Each call of the load and the save fails in turn. Whatever the failure,
// the file is never left with less than it held: after the next close it
// holds exactly what it did, duplicates, empty lines, case variants and a
// list over the cap included.
TEST_F(HistoryTest, EveryFailingCallLeavesTheFileIntact) {
    std::string bytes = "one\r\ntwo\r\nONE\r\n\r\ntwo\r\n";
    for (size_t i = 0; i < kHistoryCap; ++i) bytes += "e" + std::to_string(i) + "\r\n";
    const std::string newName = "failure|Cannot create file \"" + ToAnsi(path + L".new") + "\". ";
    const std::string oldName = "failure|Cannot create file \"" + ToAnsi(path) + "\". ";
    const std::string open = "failure|Cannot open file \"" + ToAnsi(path) + "\". ";
    const struct {
        HistoryCall call;
        int nth, times;  // which calls of it fail
        bool atLoad;
        std::string box;  // what the failure box starts with; empty: none shows
    } kFaults[] = {
        {HistoryCall::Attributes, 1, 1, true, ""},  // not "no file": the open decides
        {HistoryCall::Open, 1, 1, true, open},
        {HistoryCall::Size, 1, 1, true, open},
        {HistoryCall::Read, 1, 1, true, open},
        {HistoryCall::Allocate, 1, 1, true, "failure|"},
        {HistoryCall::Insert, 1, 1, true, "failure|Unable to insert a line"},
        {HistoryCall::Insert, 3, 1, true, "failure|Unable to insert a line"},
        {HistoryCall::Create, 1, 1, false, newName},
        {HistoryCall::Write, 1, 1, false, "failure|Stream write error"},
        {HistoryCall::Flush, 1, 1, false, "failure|Stream write error"},
        {HistoryCall::Close, 1, 1, false, "failure|Stream write error"},
        {HistoryCall::Replace, 1, 3, false, ""},  // held for a moment: tried again
        {HistoryCall::Replace, 1, 1000, false, oldName},
    };
    for (const auto& fault : kFaults) {
        SCOPED_TRACE(testing::Message() << "call " << static_cast<int>(fault.call) << " from " << fault.nth);
        WriteFile(path, bytes);
        int seen = 0;
        const HistoryFault failing = [&](HistoryCall call) -> DWORD {
            if (call != fault.call) return 0;
            ++seen;
            return seen >= fault.nth && seen < fault.nth + fault.times ? ERROR_SHARING_VIOLATION : 0;
        };
        BoxRecorder boxes;
        const HistoryFault before = SetHistoryFault(fault.atLoad ? failing : nullptr);
        StartProgram();
        SetHistoryFault(failing);
        Close();
        SetHistoryFault(before);
        if (fault.box.empty()) {
            EXPECT_EQ(boxes.boxes, std::vector<std::string>{});
        } else {
            ASSERT_EQ(boxes.boxes.size(), 1u);
            EXPECT_EQ(boxes.boxes[0].rfind(fault.box, 0), 0u) << boxes.boxes[0];
        }
        EXPECT_EQ(ReadFile(path), bytes);
        Close();
        EXPECT_EQ(ReadFile(path), bytes);
        EXPECT_FALSE(Exists(path + L".new"));
        Application.Restore();
        StopProgram();
    }
}

// Bytes that are no text of the code page come back as they were from an
// entry nobody committed in this run; the committed ones are written as the
// list holds them. Under 932 and UTF-8 a lone 0xE9, 0x80 or 0xFF is none.
TEST_F(HistoryTest, UntouchedEntriesKeepTheirBytes) {
    const std::string foreign = std::string("caf\xE9\r\n\x80\x81\r\n\xFF\xFEx\r\n") + "\xE9t\xE9\r\n";
    WriteFile(path, foreign);
    StartProgram();
    TypeAndPress("new.example", VK_RETURN);
    Close();
    EXPECT_EQ(ReadFile(path), "new.example\r\n" + foreign);
}

// The new file takes the old one's place with its attributes: a History.txt
// the user hid stays hidden.
TEST_F(HistoryTest, SaveKeepsTheFilesAttributes) {
    WriteFile(path, "old\r\n");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    StartProgram();
    TypeAndPress("new.example", VK_RETURN);
    Close();
    EXPECT_EQ(ReadFile(path), "new.example\r\nold\r\n");
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

// Where the program's folder takes no files, the history is kept in the
// user's folder, which starts from the file beside the program the first
// time only: a history cleared there is not taken again.
TEST_F(HistoryTest, UnwritableProgramFolderKeepsTheHistoryInTheUsersFolder) {
    const std::wstring user = folder + L"\\user", kept = user + L"\\Quorvane\\";
    CreateDirectoryW(user.c_str(), nullptr);
    WriteFile(path, "beside\r\n");
    const struct {
        bool writable;
        std::wstring folder;
        bool besideProgram;
        std::string keptFile;  // what History.txt in the user's folder holds
    } kStarts[] = {
        {true, folder, true, "(none)"},
        {false, kept, false, "beside\r\n"},  // the first time: copied
        {false, kept, false, "(none)"},        // cleared since: not copied again
    };
    for (const auto& start : kStarts) {
        const HistoryPlace place = ChooseHistoryPlace(folder, start.writable, user);
        EXPECT_EQ(place.folder, start.folder);
        EXPECT_EQ(place.besideProgram, start.besideProgram);
        EXPECT_EQ(Exists(kept + L"History.txt") ? ReadFile(kept + L"History.txt") : "(none)", start.keptFile);
        DeleteFileW((kept + L"History.txt").c_str());
    }
    // The settings window says where, in full, whatever script the folder is named in.
    SearchHistory elsewhere(HistoryPlace{kept, false});
    TFormSetting settings(elsewhere);
    settings.Create(Application);
    wchar_t shown[MAX_PATH * 2] = {};
    GetWindowTextW(settings.Control(TFormSetting::kEditHistoryPlace), shown, MAX_PATH * 2);
    EXPECT_EQ(std::wstring(shown), kept + L"History.txt");
    settings.Destroy();
    RemoveDirectoryW(kept.c_str());
    // A file beside the program that cannot be copied stays where it is, to
    // be read there, and the user's folder is tried again next time.
    {
        FileLock lock(path);
        EXPECT_EQ(ChooseHistoryPlace(folder, false, user).folder, folder);
    }
    EXPECT_FALSE(Exists(kept));
    RemoveDirectoryW(user.c_str());
}

// Shift+Delete in the open list deletes the selected entry, its tag with it,
// and the list stays open on the next entry (the last when the last went);
// Delete alone, Shift+Delete on a closed list or without a selection leave
// the list alone. The next close saves what is left, byte for byte.
TEST_F(HistoryTest, ShiftDeleteRemovesTheSelectedEntryOfTheOpenList) {
    WriteFile(path, "a.com\r\nb\x7F.com\r\nc.com\r\nd.com\r\n");
    StartProgram();
    const HWND combo = form->ComboBoxSearch();
    struct Step {
        bool dropped, shift;
        int selected;  // -1: none
        Entries entries;
        int selectedAfter;  // -2: the edit field's own change of the text decides
    };
    const Step steps[] = {
        {false, true, 1, {"a.com", "b\x7F.com", "c.com", "d.com"}, -2},
        {true, false, 1, {"a.com", "b\x7F.com", "c.com", "d.com"}, -2},
        {true, true, -1, {"a.com", "b\x7F.com", "c.com", "d.com"}, -1},
        {true, true, 1, {"a.com", "c.com", "d.com"}, 1},
        {true, true, 2, {"a.com", "c.com"}, 1},
        {true, true, 0, {"c.com"}, 0},
    };
    for (const Step& step : steps) {
        const std::string what = std::to_string(&step - steps);
        SetForegroundWindow(form->Handle());
        SetFocus(form->SearchEdit());
        SendMessageA(combo, CB_SHOWDROPDOWN, step.dropped, 0);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(step.selected), 0);
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = step.shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostKey(form->SearchEdit(), VK_DELETE);
        Application.ProcessMessages();
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(ListEntries(), step.entries) << what;
        if (step.selectedAfter != -2) {
            EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), step.selectedAfter) << what;
        }
        EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0, step.dropped) << what;
    }
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    Close();
    EXPECT_EQ(ReadFile(path), "c.com\r\n");
}

}  // namespace
