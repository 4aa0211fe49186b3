// The settings window and its clearing of the history.
#include "history_fixture.h"
#include "forms/program_windows.h"

namespace {

class ClearTest : public HistoryTest {
protected:
    void SetUp() override {
        HistoryTest::SetUp();
        setting = std::make_unique<TFormSetting>(*history);
        setting->Create(Application);
    }
    void TearDown() override {
        setting.reset();
        HistoryTest::TearDown();
    }
    void Click() { setting->BitBtnClearAutocompleteClick(); }
    std::unique_ptr<TFormSetting> setting;
};

TEST_F(ClearTest, SettingsWindowLayout) {
    RECT client{};
    GetClientRect(setting->Handle(), &client);
    const int dpi = static_cast<int>(setting->Dpi());
    EXPECT_EQ(client.right, MulDiv(146, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(61, dpi, 96));
    EXPECT_EQ(WindowText(setting->Handle()), "FormSetting");
    EXPECT_EQ(WindowText(setting->BitBtnClearAutocomplete()), "Clear Auto Complete");
    EXPECT_FALSE(IsWindowVisible(setting->Handle()));
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
    WindowRules rules;
    rules.main = form.get();
    rules.settings = setting.get();
    rules.Connect();
    SendMessageA(form->Handle(), WM_SYSCOMMAND, TForm1::kSettingsCommand, 0);
    form->SetRequests(nullptr);
    EXPECT_TRUE(IsWindowVisible(setting->Handle()));
}

}  // namespace
