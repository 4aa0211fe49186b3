// The four windows for a screen reader and for the keyboard alone: what each
// control tells assistive technology, and every command reached by keys, with
// the focus shown and where the user expects it after each show.
#include <oleacc.h>
#include <servprov.h>

#include <cstdio>
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

std::string Narrow(const wchar_t* text) {
    char bytes[512] = {};
    if (text) WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

// accName through IDispatch, as a script reads it: by the name's DISPID
// looked up, with the child given, and by DISPID_ACC_NAME with it left out.
// A failure reads as its HRESULT.
std::vector<std::string> NamesByInvoke(IDispatch* object) {
    std::vector<std::string> names;
    wchar_t member[] = L"accName";
    LPOLESTR members[] = {member};
    DISPID looked = DISPID_UNKNOWN;
    object->GetIDsOfNames(GUID{}, members, 1, LOCALE_USER_DEFAULT, &looked);
    VARIANT self{};
    self.vt = VT_I4;  // CHILDID_SELF
    using Call = std::pair<DISPID, UINT>;  // the member, and how many arguments it gets
    for (const auto& [id, arguments] : {Call{looked, 1}, Call{DISPID_ACC_NAME, 0}}) {
        DISPPARAMS parameters{.rgvarg = &self, .rgdispidNamedArgs = nullptr, .cArgs = arguments, .cNamedArgs = 0};
        VARIANT name{};
        const HRESULT result =
            object->Invoke(id, GUID{}, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &parameters, &name, nullptr, nullptr);
        char failure[32];
        snprintf(failure, sizeof failure, "failed 0x%08lx", static_cast<unsigned long>(result));
        names.push_back(FAILED(result) ? failure : name.vt == VT_BSTR ? Narrow(name.bstrVal) : "");
        VariantClear(&name);
    }
    return names;
}

// What a client reads of a control through the standard route: the name (in
// the ANSI code page) and role through IAccessible, a role of -1 when it
// reads none; the name through IDispatch; and whether every interface the
// object offers leads back to one IUnknown, as COM's identity rule asks.
struct Answer {
    std::string name;
    long role = -1;
    std::vector<std::string> namesByInvoke;
    bool oneIdentity = false;
};
Answer Ask(HWND control) {
    Answer answer;
    IAccessible* object = nullptr;
    // __uuidof: the import library's IID_IAccessible is a code stub, not the id.
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return answer;
    VARIANT self{};
    self.vt = VT_I4;  // self.lVal: CHILDID_SELF, 0
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) answer.name = Narrow(name);
    SysFreeString(name);
    VARIANT role{};
    if (object->get_accRole(self, &role) == S_OK && role.vt == VT_I4) answer.role = role.lVal;

    IUnknown* identity = nullptr;
    object->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&identity));
    answer.oneIdentity = identity != nullptr;
    for (const IID& iid : {__uuidof(IDispatch), __uuidof(IAccessible), __uuidof(IOleWindow), __uuidof(IEnumVARIANT),
                           __uuidof(IServiceProvider), __uuidof(IMarshal)}) {
        IUnknown* offered = nullptr;
        if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&offered)))) continue;
        IUnknown* back = nullptr;
        offered->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&back));
        answer.oneIdentity = answer.oneIdentity && back == identity;
        if (iid == __uuidof(IDispatch)) answer.namesByInvoke = NamesByInvoke(static_cast<IDispatch*>(offered));
        if (back) back->Release();
        offered->Release();
    }
    if (identity) identity->Release();
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
        bool annotated = false;  // the program's object, not the platform's: Wine's has no IDispatch
    };
    constexpr long kClient = ROLE_SYSTEM_CLIENT;
    const Row rows[] = {
        {Window::kMain, TForm1::kComboBoxSearch, "Domain, IP address or ASN", ROLE_SYSTEM_COMBOBOX, kClient, true},
        {Window::kMain, kSearchEdit, "Domain, IP address or ASN", ROLE_SYSTEM_TEXT, 0, true},
        {Window::kMain, TForm1::kBitBtnGo, "Lookup", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kAbout, TFormAbout::kBitBtn1, "Exit", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kAbout, TFormAbout::kBitBtn2, "Close Window", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kAbout, TFormAbout::kBitBtnUpdate, "Check Update", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kAbout, TFormAbout::kImage1, "Quorvane logo: a magnifying glass on a blue disc", ROLE_SYSTEM_GRAPHIC,
         0, true},
        {Window::kAbout, TFormAbout::kLabel1, "Quorvane v 1.0.0", ROLE_SYSTEM_STATICTEXT, kClient},
        {Window::kAbout, TFormAbout::kLabel2,
         "Tessaloon is intended to lookup almost\r\nall Whois domain, Whois IP, Whois ASN,\r\n"
         "check domain availability, geo IP Location,\r\nPR(Google Page rank) & Alexa rank",
         ROLE_SYSTEM_STATICTEXT, kClient},
        {Window::kAbout, TFormAbout::kStaticText1, "(c) Quorvane - tessaloon.com", ROLE_SYSTEM_LINK, 0, true},
        {Window::kSettings, TFormSetting::kBitBtnClearAutocomplete, "Clear Auto Complete", ROLE_SYSTEM_PUSHBUTTON,
         kClient},
        {Window::kSettings, TFormSetting::kHotKeyShow, "Hotkey that shows the search box", ROLE_SYSTEM_HOTKEYFIELD, 0,
         true},
        {Window::kSettings, TFormSetting::kLabelHotKeyStatus, "", ROLE_SYSTEM_STATICTEXT, kClient},
        {Window::kBulk, TFormBulkWhoisLookupTool::kBitBtnBulkLookup, "Bulk Lookup", ROLE_SYSTEM_PUSHBUTTON, kClient},
        {Window::kBulk, TFormBulkWhoisLookupTool::kMemo1, "Domains, IP addresses or ASNs, one per line",
         ROLE_SYSTEM_TEXT, 0, true},
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
        const Answer answer = Ask(control);
        EXPECT_EQ(answer.name, row.name);
        EXPECT_EQ(answer.role, role) << row.name;
        EXPECT_TRUE(answer.oneIdentity) << row.name;
        if (!wine || row.annotated) {
            EXPECT_EQ(answer.namesByInvoke, (std::vector<std::string>{row.name, row.name}));
        }
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
    EXPECT_EQ(shell.Opened(), chain.opened);
    EXPECT_EQ(boxes.boxes, chain.boxes);
}

INSTANTIATE_TEST_SUITE_P(Chains, KeyboardTest, ::testing::ValuesIn(kChains),
                         [](const auto& row) { return std::string(row.param.what); });

}  // namespace
