// The four windows for a screen reader and for the keyboard alone: what each
// control tells assistive technology, and every command reached by keys, with
// the focus shown and where the user expects it after each show.
#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

#include "program_fixture.h"
#include "image/png_picture.h"

namespace {

enum class Window { kMain, kAbout, kSettings, kBulk };
// Not a control id: the edit field inside the main window's search box.
constexpr int kSearchEdit = -1;

// Wine's standard objects answer ROLE_SYSTEM_CLIENT for every control but an
// edit field; a row says so where its role is the platform's, not the program's.
bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

class AccessibilityTest : public ProgramTest {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // as a screen reader's client does
    }
    void SetUp() override {
        ProgramTest::SetUp();
        StartProgram();
    }
    Form& Of(Window window) { return *Forms()[static_cast<size_t>(window)]; }
    HWND Control(Window window, int id) { return id == kSearchEdit ? form->SearchEdit() : Of(window).Control(id); }
};

// The name (in the ANSI code page) and role a client reads through the
// standard route; a role of -1 when it reads none.
std::pair<std::string, long> Ask(HWND control) {
    std::pair<std::string, long> answer{"", -1};
    IAccessible* object = nullptr;
    // __uuidof: the import library's IID_IAccessible is a code stub, not the id.
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return answer;
    VARIANT self{};
    self.vt = VT_I4;  // self.lVal: CHILDID_SELF, 0
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) {
        char bytes[512] = {};
        WideCharToMultiByte(CP_ACP, 0, name, -1, bytes, sizeof bytes, nullptr, nullptr);
        answer.first = bytes;
        SysFreeString(name);
    }
    VARIANT role{};
    if (object->get_accRole(self, &role) == S_OK && role.vt == VT_I4) answer.second = role.lVal;
    object->Release();
    return answer;
}

TEST_F(AccessibilityTest, EveryControlTellsItsNameAndRole) {
    struct Row {
        Window window;
        int id;
        const char* name;
        long role;
        long wineRole = 0;  // what Wine's standard object answers instead, where the role is the platform's
    };
    constexpr long kClient = ROLE_SYSTEM_CLIENT;
    const Row rows[] = {
        {Window::kMain, TForm1::kComboBoxSearch, "Domain, IP address or ASN", ROLE_SYSTEM_COMBOBOX, kClient},
        {Window::kMain, kSearchEdit, "Domain, IP address or ASN", ROLE_SYSTEM_TEXT},
        {Window::kMain, TForm1::kBitBtnGo, "Lookup", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kAbout, TFormAbout::kBitBtn1, "Exit", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kAbout, TFormAbout::kBitBtn2, "Close Window", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kAbout, TFormAbout::kBitBtnUpdate, "Check Update", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kAbout, TFormAbout::kImage1, "Quorvane logo: a magnifying glass on a blue disc", ROLE_SYSTEM_GRAPHIC},
        {Window::kAbout, TFormAbout::kLabel1, "Quorvane v 1.0.0", ROLE_SYSTEM_STATICTEXT, kClient},
        {Window::kAbout, TFormAbout::kLabel2,
         "Tessaloon is intended to lookup almost\r\nall Whois domain, Whois IP, Whois ASN,\r\n"
         "check domain availability, geo IP Location,\r\nPR(Google Page rank) & Alexa rank",
         ROLE_SYSTEM_STATICTEXT, kClient},
        {Window::kAbout, TFormAbout::kStaticText1, "(c) Quorvane - tessaloon.com", ROLE_SYSTEM_LINK},
        {Window::kSettings, TFormSetting::kBitBtnClearAutocomplete, "Clear Auto Complete", ROLE_SYSTEM_PUSHBUTTON,
         kClient},
        {Window::kBulk, TFormBulkWhoisLookupTool::kBitBtnBulkLookup, "Bulk Lookup", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kBulk, TFormBulkWhoisLookupTool::kMemo1, "Domains, IP addresses or ASNs, one per line",
         ROLE_SYSTEM_TEXT},
        // The status label is read as what it says; idle, it says nothing.
        {Window::kBulk, TFormBulkWhoisLookupTool::kLabel1, "", ROLE_SYSTEM_STATICTEXT, kClient},
        {Window::kBulk, TFormBulkWhoisLookupTool::kLabel2,
         "10 website at\r\nonce click\r\n\r\nexample : \r\nexample.com\r\nexample.org\r\n192.0.2.1\r\nAS64500",
         ROLE_SYSTEM_STATICTEXT, kClient},
    };
    const bool wine = UnderWine();
    for (const Row& row : rows) {
        const HWND control = Control(row.window, row.id);
        ASSERT_NE(control, nullptr) << row.name;
        const long role = wine && row.wineRole ? row.wineRole : row.role;
        EXPECT_EQ(Ask(control), std::make_pair(std::string(row.name), role));
    }
}

// Chains of keys, each from a fresh set of windows with the main window shown.
class KeyboardTest;
struct Chain {
    const char* what;
    void (KeyboardTest::*keys)();
    Window window;  // active at the end
    int focus;      // on this control of it
    Entries opened, boxes;
};

class KeyboardTest : public AccessibilityTest, public ::testing::WithParamInterface<Chain> {
public:
    // Keys typed one at a time into whatever has the focus.
    void Press(std::initializer_list<UINT> keys) {
        for (const UINT key : keys) {
            PostKey(GetFocus(), key);
            Application.ProcessMessages();
        }
    }
    // Keys for the next menu that opens, taken by the menu's own loop.
    void WhenAMenuOpens(std::initializer_list<UINT> keys) {
        menuKeys_.assign(keys);
        menuHook_ = SetWindowsHookExA(WH_CALLWNDPROC, MenuOpening, nullptr, GetCurrentThreadId());
        current_ = this;
    }

    // Tab to Lookup and Enter; About hides the main window; then the icon,
    // selected from the keyboard: a version-0 icon gets, for Enter, Space and
    // the context key alike, what a right click sends (the button's press,
    // then its release), and the menu's access key brings the window back.
    void LookupThenTheIconsMenuByKeys() {
        SetWindowTextA(form->ComboBoxSearch(), "a.example");
        Press({VK_TAB, VK_RETURN});
        form->About1Click();
        Application.ProcessMessages();
        WhenAMenuOpens({'W'});
        for (const UINT mouse : {WM_RBUTTONDOWN, WM_RBUTTONUP})
            SendMessageA(form->Handle(), kTrayCallbackMessage, kTrayIconId, mouse);
        Application.ProcessMessages();
    }
    void WindowMenuSettingsThenSpace() {
        // Alt+Space, as translated from the keyboard; the window menu's loop takes the rest.
        PostMessageA(GetFocus(), WM_SYSCHAR, ' ', 0x20000001);
        WhenAMenuOpens({VK_UP, VK_RETURN});
        Application.ProcessMessages();
        Press({VK_SPACE});
    }
    void BulkTabSpaceAndEscape() {
        form->BulkWhoisLookup1Click();
        Application.ProcessMessages();
        SetWindowTextA(FormBulkWhoisLookupTool->Memo1(), "AS64500");
        Press({VK_ESCAPE, VK_TAB, VK_SPACE});
    }
    // Shown anew after the menu's first entry hid it, About starts again at
    // its default button.
    void AboutTabEnterThenShownAnew() {
        form->About1Click();
        Application.ProcessMessages();
        Press({VK_TAB, VK_RETURN});
        form->WhoisLookup1Click();
        Application.ProcessMessages();
        form->About1Click();
        Application.ProcessMessages();
    }

protected:
    void TearDown() override {
        if (menuHook_) UnhookWindowsHookEx(menuHook_);
        AccessibilityTest::TearDown();
    }
    BoxRecorder boxes;

private:
    static LRESULT CALLBACK MenuOpening(int code, WPARAM wParam, LPARAM lParam) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message->message == WM_INITMENUPOPUP && current_->menuHook_) {
            UnhookWindowsHookEx(std::exchange(current_->menuHook_, nullptr));
            for (const UINT key : current_->menuKeys_) PostKey(message->hwnd, key);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline KeyboardTest* current_ = nullptr;  // the hook has no context argument
    HHOOK menuHook_ = nullptr;
    std::vector<UINT> menuKeys_;
};

const Chain kChains[] = {
    {"LookupThenTheIconsMenuByKeys", &KeyboardTest::LookupThenTheIconsMenuByKeys, Window::kMain, kSearchEdit,
     {"http://tessaloon.com/whois/a.example after 1 entries"}, {}},
    {"WindowMenuSettingsThenSpace", &KeyboardTest::WindowMenuSettingsThenSpace, Window::kSettings,
     TFormSetting::kBitBtnClearAutocomplete, {}, {"|Auto complete cleared"}},
    {"BulkTabSpaceAndEscape", &KeyboardTest::BulkTabSpaceAndEscape, Window::kBulk,
     TFormBulkWhoisLookupTool::kBitBtnBulkLookup, {"http://tessaloon.com/whois/as64500 after 0 entries"}, {}},
    {"AboutTabEnterThenShownAnew", &KeyboardTest::AboutTabEnterThenShownAnew, Window::kAbout, TFormAbout::kBitBtn2,
     {"http://tessaloon.com after 0 entries"}, {}},
};

TEST_P(KeyboardTest, ReachesEveryCommandAndShowsTheFocus) {
    const Chain& chain = GetParam();
    (this->*chain.keys)();
    const HWND focus = GetFocus();
    EXPECT_EQ(GetActiveWindow(), Of(chain.window).Handle());
    EXPECT_EQ(focus, Control(chain.window, chain.focus)) << ClassName(focus) << " " << WindowText(focus);
    EXPECT_EQ(opened, chain.opened);
    EXPECT_EQ(boxes.boxes, chain.boxes);
}

INSTANTIATE_TEST_SUITE_P(Chains, KeyboardTest, ::testing::ValuesIn(kChains),
                         [](const auto& row) { return std::string(row.param.what); });

}  // namespace
