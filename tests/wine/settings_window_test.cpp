// The settings window and its clearing of the history.
#include "program_fixture.h"
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
