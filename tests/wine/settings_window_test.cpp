// The settings window: its clearing of the history, and the global hotkey
// it sets.
#include "program_fixture.h"

#include <commctrl.h>

#include <optional>

#include "forms/program_windows.h"

namespace {

class ClearTest : public ProgramTest {
protected:
    void Click() { FormSetting->BitBtnClearAutocompleteClick(); }
};

TEST_F(ClearTest, ClearDeletesTheFileAndEmptiesTheSearchBox) {
    WriteFile(path, "a\r\nb\r\n");
    StartProgram();
    BoxRecorder boxes;
    Click();
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(ListEntries(), Entries{});
    EXPECT_EQ(form->SearchText(), "");
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{"|Auto complete cleared"});
}

TEST_F(ClearTest, ClearWithoutAFileStillEmptiesTheList) {
    StartProgram();
    TypeAndPress("unsaved.example", VK_RETURN);
    BoxRecorder boxes;
    Click();
    EXPECT_EQ(ListEntries(), Entries{});
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{"|Auto complete cleared"});
    Close();
    EXPECT_EQ(ReadFile(path), "");
}

TEST_F(ClearTest, FailedDeletionChangesNothing) {
    WriteFile(path, "a\r\n");
    StartProgram();
    BoxRecorder boxes;
    {
        FileLock lock(path);
        Click();
    }
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(ListEntries(), Entries{"a"});
    EXPECT_EQ(form->SearchText(), "Enter domain, IP address or ASN");
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{"|Auto complete fail to clear"});
}

TEST_F(ClearTest, WindowMenuOffersTheCommandThatShowsTheSettingsWindow) {
    StartProgram();
    char caption[64] = {};
    EXPECT_GT(GetMenuStringA(GetSystemMenu(form->Handle(), FALSE), TForm1::kSettingsCommand, caption, sizeof caption,
                             MF_BYCOMMAND),
              0);
    EXPECT_STREQ(caption, "Settings...");
    SendMessageA(form->Handle(), WM_SYSCOMMAND, TForm1::kSettingsCommand, 0);
    EXPECT_TRUE(IsWindowVisible(FormSetting->Handle()));
}

}  // namespace

namespace {

// The stored hotkey as the registry holds it: the DWORD, or none when the
// value is absent (or not a DWORD). The test's Wine prefix is its own; the
// value there before is put back after.
constexpr char kHotkeyKey[] = "Software\\Quorvane";
std::optional<DWORD> RegistryHotkey() {
    DWORD word = 0, size = sizeof word;
    if (RegGetValueA(HKEY_CURRENT_USER, kHotkeyKey, "Hotkey", RRF_RT_REG_DWORD, nullptr, &word, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return word;
}
void SetRegistryHotkey(std::optional<DWORD> word) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kHotkeyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (word) RegSetValueExA(key, "Hotkey", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*word), sizeof *word);
    else RegDeleteValueA(key, "Hotkey");
    RegCloseKey(key);
}

// Another program's hold on a key, played by a window of the test's own.
class OtherHolder {
public:
    OtherHolder() : window_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~OtherHolder() {
        UnregisterHotKey(window_, 1);
        DestroyWindow(window_);
    }
    OtherHolder(const OtherHolder&) = delete;
    OtherHolder& operator=(const OtherHolder&) = delete;
    // Whether the key was free to take (a field's word).
    bool Take(DWORD word) {
        UnregisterHotKey(window_, 1);
        return RegisterHotKey(window_, 1, MOD_NOREPEAT | ((word >> 8) & HOTKEYF_SHIFT ? MOD_SHIFT : 0) |
                                              ((word >> 8) & HOTKEYF_CONTROL ? MOD_CONTROL : 0) |
                                              ((word >> 8) & HOTKEYF_ALT ? MOD_ALT : 0),
                              word & 0xFF);
    }
    void Release() { UnregisterHotKey(window_, 1); }

private:
    HWND window_;
};

class HotkeyTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        saved_ = RegistryHotkey();
        SetRegistryHotkey(std::nullopt);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        SetRegistryHotkey(saved_);
    }
    // The user sets the field: the control's change comes to the window.
    void Choose(DWORD word) {
        SendMessageA(FormSetting->HotKeyShow(), HKM_SETHOTKEY, word, 0);
        SendMessageA(FormSetting->Handle(), WM_COMMAND, MAKEWPARAM(TFormSetting::kHotKeyShow, EN_CHANGE),
                     reinterpret_cast<LPARAM>(FormSetting->HotKeyShow()));
    }
    std::string Status() const { return WindowText(FormSetting->Control(TFormSetting::kLabelHotKeyStatus)); }

    OtherHolder other;

private:
    std::optional<DWORD> saved_;
};

constexpr DWORD kCtrlAltShiftF11 = 0x077A, kCtrlAltF11 = 0x067A, kShiftF11 = 0x017A, kCtrlF11 = 0x027A;

// Each choice in turn, from the field: what the status says, what is stored,
// and whether the program holds the key (another window cannot take it).
TEST_F(HotkeyTest, EachChoiceIsRegisteredStoredAndSaid) {
    struct Step {
        const char* name;
        DWORD word;
        bool heldElsewhere;
        const char* status;
        std::optional<DWORD> stored;
        bool programHolds;
    };
    const Step steps[] = {
        {"usable", kCtrlAltShiftF11, false, "", kCtrlAltShiftF11, true},
        {"AltGr warned, still used", kCtrlAltF11, false, "Ctrl+Alt may be AltGr: add Shift.", kCtrlAltF11, true},
        {"held by another program: stored for the next start", kCtrlF11, true,
         "Another program already uses this key.", kCtrlF11, false},
        {"Shift alone refused: nothing stored, nothing held", kShiftF11, false, "Add Ctrl or Alt to the key.",
         std::nullopt, false},
        {"usable again", kCtrlAltShiftF11, false, "", kCtrlAltShiftF11, true},
        {"modifiers pressed, no key yet: off", 0x0600, false, "", std::nullopt, false},
        {"usable once more", kCtrlAltShiftF11, false, "", kCtrlAltShiftF11, true},
        {"none: off", 0, false, "", std::nullopt, false},
    };
    StartProgram();
    BoxRecorder boxes;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.heldElsewhere) {
            ASSERT_TRUE(other.Take(step.word));
        }
        Choose(step.word);
        other.Release();
        EXPECT_EQ(Status(), step.status);
        EXPECT_EQ(RegistryHotkey(), step.stored);
        if (step.word & 0xFF) {  // a key, not modifiers alone
            EXPECT_EQ(other.Take(step.word), !step.programHolds);
        }
        other.Release();
    }
    // The last key chosen before "none" is held no longer.
    EXPECT_TRUE(other.Take(kCtrlAltShiftF11));
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{});
}

// At start-up the stored key is registered and shown in the field; one that
// another program holds shows no box, and the settings window says it.
TEST_F(HotkeyTest, StoredKeyAtStartUp) {
    SetRegistryHotkey(kCtrlAltShiftF11);
    ASSERT_TRUE(other.Take(kCtrlAltShiftF11));
    BoxRecorder boxes;
    StartProgram();
    EXPECT_EQ(SendMessageA(FormSetting->HotKeyShow(), HKM_GETHOTKEY, 0, 0), static_cast<LRESULT>(kCtrlAltShiftF11));
    FormSetting->Show();
    EXPECT_EQ(Status(), "Another program already uses this key.");
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{});
    EXPECT_EQ(RegistryHotkey(), kCtrlAltShiftF11);

    StopProgram();
    other.Release();
    StartProgram();
    EXPECT_EQ(Status(), "");
    EXPECT_FALSE(other.Take(kCtrlAltShiftF11));
}

// The hotkey toggles: the active window hides to the icon as a close does
// (the history saved); the hidden one comes to the front, its search box
// focused with the text selected.
TEST_F(HotkeyTest, HotkeyHidesTheActiveWindowAndShowsTheHiddenOne) {
    StartProgram();
    TypeAndPress("a.example", VK_RETURN);
    SendMessageA(form->Handle(), WM_HOTKEY, TForm1::kHotkeyId, 0);
    Application.ProcessMessages();
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(ReadFile(path), "a.example\r\n");

    SendMessageA(form->Handle(), WM_HOTKEY, TForm1::kHotkeyId, 0);
    Application.ProcessMessages();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(GetForegroundWindow(), form->Handle());
    EXPECT_EQ(GetFocus(), form->SearchEdit());
    DWORD start = 1, end = 0;
    SendMessageA(form->SearchEdit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, std::string("a.example").size());
}

// The settings window stands in for a box, enabled over the disabled main window.
TEST_F(HotkeyTest, HotkeyUnderABoxBringsTheBoxToTheFront) {
    StartProgram();
    Close();
    FormSetting->Show();
    EnableWindow(form->Handle(), FALSE);
    SendMessageA(form->Handle(), WM_HOTKEY, TForm1::kHotkeyId, 0);
    Application.ProcessMessages();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(GetForegroundWindow(), FormSetting->Handle());
    EnableWindow(form->Handle(), TRUE);
}

}  // namespace
