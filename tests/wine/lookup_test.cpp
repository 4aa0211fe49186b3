// The main window's lookup, with the shell launcher replaced by a recorder:
// keys go through the program's own message dispatch, as typed keys would.
#include "program_fixture.h"

#include <commctrl.h>

#include "core/lookup_address.h"
#include "core/texts.h"
#include "forms/command_line_query.h"
#include "forms/main_window.h"
#include "forms/open_address.h"
#include "win/application.h"
#include "win/files.h"
#include "win/window_text.h"

namespace {

using Addresses = std::vector<std::string>;

class LookupTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        StartProgram();
        ASSERT_EQ(GetActiveWindow(), form->Handle());
    }
    // Replaces the search box's text as a paste would and presses a key in the
    // control that has the focus.
    void SetText(const std::string& text) { SetWindowTextA(form->ComboBoxSearch(), text.c_str()); }
    void Press(UINT key) {
        PostKey(GetFocus(), key);
        Application.ProcessMessages();
    }
    Addresses Files() const {
        Addresses files;
        for (const ShellCall& call : shell.calls) files.push_back(call.file);
        return files;
    }
};

TEST_F(LookupTest, FocusStartsInTheSearchBoxWithThePlaceholder) {
    EXPECT_EQ(GetFocus(), form->SearchEdit());
    EXPECT_EQ(form->SearchText(), "Enter domain, IP address or ASN");
}

TEST_F(LookupTest, EnterOpensTheLookupAddressOnceWithTheShellArguments) {
    SetText("example.com");
    Press(VK_RETURN);
    ASSERT_EQ(shell.calls.size(), 1u);
    const ShellCall& call = shell.calls[0];
    EXPECT_EQ(call.owner, form->Handle());
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, "http://tessaloon.com/whois/example.com");
    EXPECT_FALSE(call.parameters);
    EXPECT_FALSE(call.directory);
    EXPECT_EQ(call.show, SW_SHOW);
    EXPECT_EQ(form->SearchText(), "example.com");  // the text stays
    EXPECT_EQ(GetFocus(), form->SearchEdit());
}

// What Enter and the button hand off for a text: nothing for the placeholder
// or a blank text; otherwise the address escaped, and only while the escaped
// address is no longer than the shell takes.
TEST_F(LookupTest, WhatEnterAndTheButtonHandOff) {
    const std::string prefix = "http://tessaloon.com/whois/", fits(kMaxShellAddressLength - prefix.size() - 3, 'a');
    const struct {
        const char* what;
        std::string text;  // "(placeholder)": the untouched search box
        std::string address;  // empty: none
    } kRows[] = {
        {"the untouched placeholder", "(placeholder)", ""},
        {"empty", "", ""},
        {"blanks", "   ", ""},
        {"a tab", "\t", ""},
        {"the placeholder between blanks", "  Enter domain, IP address or ASN  ", ""},
        {"the placeholder's words in another case", "enter domain, ip address or asn",
         prefix + "enter%20domain,%20ip%20address%20or%20asn"},
        {"exactly as long as the shell takes, escaped", fits + " ", prefix + fits + "%20"},
        {"a byte longer, escaped", fits + "  ", ""},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.what);
        shell.calls.clear();
        if (row.text != "(placeholder)") SetText(row.text);
        Press(VK_RETURN);
        form->BitBtnGoClick();
        EXPECT_EQ(Files(), (row.address.empty() ? Addresses{} : Addresses{row.address, row.address}));
    }
}

// A running copy's hand-off is checked as the command line's query is, and
// answered before the lookup runs: the lookup is posted. Every refusal leaves
// the window as it was. A character outside the code page is refused except
// under UTF-8, which holds them all.
TEST_F(LookupTest, HandedOffQueriesAreCheckedAsTheCommandLinesAre) {
    const std::string prefix = "http://tessaloon.com/whois/";
    const size_t room = kMaxShellAddressLength - prefix.size();
    const bool utf8 = GetACP() == CP_UTF8;
    struct Payload {
        const char* what;
        std::wstring text;
        ULONG_PTR tag = kQueryHandOffTag;
        int bytes = -1;  // -1: the text's own size
        bool disabled = false;
        bool taken = false;
        std::string address = {};
    };
    const Payload payloads[] = {
        {.what = "hostile", .text = L"a\"b &c|\"", .taken = true, .address = prefix + "a%22b%20&c%7C%22"},
        {.what = "another tag", .text = L"example.com", .tag = kQueryHandOffTag + 1},
        {.what = "odd size", .text = L"example.com", .bytes = 3},
        {.what = "empty", .text = L"", .bytes = 0},
        {.what = "zero inside", .text = std::wstring(L"a\0b", 3)},
        {.what = "blank", .text = L" \t "},
        {.what = "placeholder", .text = L"Enter domain, IP address or ASN"},
        {.what = "at the address cap", .text = std::wstring(room, L'a'), .taken = true, .address = prefix + std::string(room, 'a')},
        {.what = "escaped over the cap", .text = std::wstring(room / 3 + 1, L'"')},
        {.what = "over the unit cap", .text = std::wstring(kMaxHandOffUnits + 1, L'a')},
        {.what = "outside the code page", .text = L"\u0E01\u4F8B.example", .taken = utf8},
        {.what = "while a box is up", .text = L"example.com", .disabled = true},
    };
    for (const Payload& p : payloads) {
        shell.calls.clear();
        form->Hide();
        SetText("before");
        COPYDATASTRUCT data{p.tag, static_cast<DWORD>(p.bytes < 0 ? p.text.size() * sizeof(wchar_t) : p.bytes),
                            const_cast<wchar_t*>(p.text.data())};
        EnableWindow(form->Handle(), !p.disabled);
        const LRESULT answer = SendMessageW(form->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        EXPECT_TRUE(shell.calls.empty()) << p.what;  // answered first
        Application.ProcessMessages();
        EnableWindow(form->Handle(), TRUE);
        EXPECT_EQ(answer, p.taken ? TRUE : FALSE) << p.what;
        EXPECT_EQ(shell.calls.size(), p.taken ? 1u : 0u) << p.what;
        EXPECT_EQ(IsWindowVisible(form->Handle()) != FALSE, p.taken) << p.what;
        if (!p.taken) {
            EXPECT_EQ(form->SearchText(), "before") << p.what;
        }
        if (!p.address.empty() && !shell.calls.empty()) {
            EXPECT_EQ(shell.calls[0].file, p.address) << p.what;
        }
    }
    EXPECT_EQ(SendMessageW(form->Handle(), WM_COPYDATA, 0, 0), FALSE);
}

// The refusal's text: a query too long, or one the code page cannot hold,
// shown as the code page can show it and cut short.
TEST_F(LookupTest, RefusedOutsideQueriesSayWhy) {
    const size_t room = kMaxShellAddressLength - MakeLookupAddress("").size();
    EXPECT_EQ(CheckOutsideQuery(std::wstring(kMaxHandOffUnits + 1, L'a')).refusal, texts::kQueryTooLong);
    EXPECT_EQ(CheckOutsideQuery(std::wstring(room / 3 + 1, L'"')).refusal, texts::kQueryTooLong);
    const QueryCheck fits = CheckOutsideQuery(std::wstring(room / 3, L'"'));
    ASSERT_TRUE(fits.query);
    EXPECT_EQ(fits.query->bytes, std::string(room / 3, '"'));
    EXPECT_TRUE(fits.refusal.empty());
    if (GetACP() == CP_UTF8) return;  // holds every character
    const std::wstring foreign = L"\u0E01" + std::wstring(100, L'a');
    const QueryCheck refused = CheckOutsideQuery(foreign);
    EXPECT_FALSE(refused.query);
    EXPECT_EQ(refused.refusal, std::string(texts::kQueryNotInCodePage) + ToAnsi(foreign.substr(0, 80)) + "...");
}

TEST_F(LookupTest, EnterTwiceLooksUpTwice) {
    SetText("AS15169");
    Press(VK_RETURN);
    Press(VK_RETURN);
    EXPECT_EQ(shell.calls.size(), 2u);
}

// Tab commits the text and moves to the button; Space and Enter on the
// focused button look up.
TEST_F(LookupTest, TabCommitsAndMovesToTheButtonWithoutALookup) {
    TypeAndPress("tab.example", VK_TAB);
    EXPECT_EQ(ListEntries(), Entries{"tab.example"});
    EXPECT_EQ(GetFocus(), form->BitBtnGo());
    EXPECT_EQ(shell.calls.size(), 0u);
    Press(VK_SPACE);
    Press(VK_RETURN);
    EXPECT_EQ(shell.Opened(), (Addresses{"http://tessaloon.com/whois/tab.example after 1 entries",
                                         "http://tessaloon.com/whois/tab.example after 1 entries"}));
}

TEST_F(LookupTest, MouseClickOnTheButtonCommitsThenLooksUp) {
    SetText("click.example");
    PostMessageA(form->BitBtnGo(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(form->BitBtnGo(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Application.ProcessMessages();
    EXPECT_EQ(shell.Opened(), Addresses{"http://tessaloon.com/whois/click.example after 1 entries"});
    EXPECT_EQ(GetFocus(), form->BitBtnGo());
}

TEST_F(LookupTest, ButtonIsNotTheDefaultButton) {
    EXPECT_FALSE(GetWindowLongPtrA(form->BitBtnGo(), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_EQ(SendMessageA(form->ComboBoxSearch(), CB_GETMINVISIBLE, 0, 0), 8);
    EXPECT_FALSE(GetWindowLongPtrA(form->ComboBoxSearch(), GWL_STYLE) & CBS_SORT);
}

TEST_F(LookupTest, ShellFailureOfThePlainFormPassesSilently) {
    shell.result = 2;
    BoxRecorder boxes;
    SetText("example.com");
    Press(VK_RETURN);
    EXPECT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{});
}

TEST_F(LookupTest, CheckedFormReportsAFailureInOneErrorBox) {
    shell.result = 2;
    BoxRecorder boxes;
    OpenAddressChecked(form->Handle(), "http://tessaloon.com");
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].verb, "Open");
    EXPECT_EQ(shell.calls[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(shell.calls[0].owner, form->Handle());
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{
                               "Error|Unable To access URL \"http://tessaloon.com\", error code [2]."});

    shell.result = 33;  // greater than 32 is success
    OpenAddressChecked(form->Handle(), "http://tessaloon.com");
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

// The button shows the picture in every state, its greyed twin when disabled:
// black text lines normally, grey ones in the twin, purple nowhere.
TEST_F(LookupTest, ButtonPictureHasItsGreyedTwinForTheDisabledState) {
    BUTTON_IMAGELIST images{};
    ASSERT_TRUE(SendMessageA(form->BitBtnGo(), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images)));
    ASSERT_EQ(ImageList_GetImageCount(images.himl), 6);
    int width = 0, height = 0;
    ImageList_GetIconSize(images.himl, &width, &height);
    const int scale = width / 16;
    ASSERT_GE(scale, 1);
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP canvas = CreateCompatibleBitmap(screen, width * 6, height);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ previous = SelectObject(dc, canvas);
    RECT all{0, 0, width * 6, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int i = 0; i < 6; ++i) ImageList_Draw(images.himl, i, dc, i * width, 0, ILD_TRANSPARENT);
    // A pixel of the second text line, and one of the transparent border.
    auto line = [&](int image) { return GetPixel(dc, image * width + 6 * scale, 6 * scale); };
    auto border = [&](int image) { return GetPixel(dc, image * width, height - 1); };
    for (int i : {0, 1, 2, 4, 5}) EXPECT_EQ(line(i), RGB(0, 0, 0)) << "image " << i;
    EXPECT_EQ(line(3), RGB(128, 128, 128));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(border(i), RGB(255, 255, 255)) << "image " << i;
    SelectObject(dc, previous);
    DeleteObject(canvas);
    DeleteDC(dc);
}

}  // namespace
