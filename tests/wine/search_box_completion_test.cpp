// Completion in the live search box.
#include "program_fixture.h"

namespace {

// Completion in the live search box, with the history 'Abc1', 'abc', 'xyz'.
class CompletionTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        WriteFile(path, "Abc1\r\nabc\r\nxyz\r\n");
        StartProgram();
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

// Not the '?' the code page would make of it: no completion from "?q". A
// Hangul syllable has no form in 1252 or in 932.
TEST_F(CompletionTest, CharacterWithoutAnAnsiFormIsLeftToTheEditField) {
    SendMessageA(form->ComboBoxSearch(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("?q"));
    PostMessageW(form->SearchEdit(), WM_CHAR, 0xAC00, 1);
    Application.ProcessMessages();
    EXPECT_EQ(State(), "? [1,1] #-1");
}

// A character beyond the first plane comes as two messages, the second
// waited for: both halves reach the field, in order, and the next character
// goes in after them.
TEST_F(CompletionTest, SurrogatePairArrivesWholeAndTypingGoesOn) {
    PostMessageW(form->SearchEdit(), WM_CHAR, 0xD83D, 1);
    PostMessageW(form->SearchEdit(), WM_CHAR, 0xDE00, 1);
    Type('q');
    std::wstring text(8, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(form->SearchEdit(), text.data(), static_cast<int>(text.size()))));
    EXPECT_EQ(text, L"\xD83D\xDE00q");
    // A lone first half goes in as it came, before the next character.
    SetWindowTextA(form->ComboBoxSearch(), "");
    PostMessageW(form->SearchEdit(), WM_CHAR, 0xD83D, 1);
    Type('X');
    text.resize(8);
    text.resize(static_cast<size_t>(GetWindowTextW(form->SearchEdit(), text.data(), static_cast<int>(text.size()))));
    EXPECT_EQ(text, L"\xD83DX");
}

// Under UTF-8 a typed character is one to four bytes: each completes whole,
// Backspace removes it whole, and the box counts its selection in UTF-16
// units. Run under a UTF-8 code page only.
TEST_F(CompletionTest, Utf8CharactersOfEveryLengthComplete) {
    if (GetACP() != CP_UTF8) GTEST_SKIP() << "needs the UTF-8 code page";
    for (const char* entry : {"\xE3\x81\x82\xE3\x81\x84", "\xF0\x9F\x98\x80.\xC3\xA9"})
        SendMessageA(form->ComboBoxSearch(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    PostMessageW(form->SearchEdit(), WM_CHAR, 0x3042, 1);
    Application.ProcessMessages();
    EXPECT_EQ(State(), "\xE3\x81\x82\xE3\x81\x84 [1,2] #3");
    Type('\b');
    EXPECT_EQ(State(), "\xE3\x81\x82 [1,1] #-1");
    Type('\b');
    EXPECT_EQ(State(), " [0,0] #-1");
    SetWindowTextA(form->ComboBoxSearch(), "");
    PostMessageW(form->SearchEdit(), WM_CHAR, 0xD83D, 1);
    PostMessageW(form->SearchEdit(), WM_CHAR, 0xDE00, 1);
    Application.ProcessMessages();
    EXPECT_EQ(State(), "\xF0\x9F\x98\x80.\xC3\xA9 [2,4] #4");
    PostKey(form->SearchEdit(), VK_RETURN);
    Application.ProcessMessages();
    EXPECT_EQ(shell.Opened().back(), "http://tessaloon.com/whois/\xF0\x9F\x98\x80.\xC3\xA9 after 5 entries");
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
    EXPECT_EQ(shell.Opened(), std::vector<std::string>{"http://tessaloon.com/whois/abc1 after 3 entries"});
    EXPECT_EQ(ListEntries(), (Entries{"Abc1", "abc", "xyz"}));
}

TEST_F(CompletionTest, CaretInsideTheTextInsertsAsUsual) {
    SetWindowTextA(form->ComboBoxSearch(), "xz");
    SendMessageA(form->SearchEdit(), EM_SETSEL, 1, 1);
    Type('y');
    EXPECT_EQ(State(), "xyz [2,2] #-1");
}

TEST_F(CompletionTest, ClearedHistoryCompletesNothing) {
    {
        BoxRecorder boxes;
        FormSetting->BitBtnClearAutocompleteClick();
    }
    Type('a');
    EXPECT_EQ(State(), "a [1,1] #-1");
}

}  // namespace
