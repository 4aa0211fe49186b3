// The four windows for a screen reader: what each control tells assistive
// technology.
#include <oleacc.h>

#include <string>

#include "history_fixture.h"
#include "image/png_picture.h"

namespace {

enum class Window { kMain, kAbout, kSettings, kBulk };
// Not a control id: the edit field inside the main window's search box.
constexpr int kSearchEdit = -1;

// Wine's standard objects answer ROLE_SYSTEM_CLIENT for every control but an
// edit field; a row says so where its role is the platform's, not the program's.
bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

class AccessibilityTest : public HistoryTest {
protected:
    static void SetUpTestSuite() {
        HistoryTest::SetUpTestSuite();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // as a screen reader's client does
    }
    void SetUp() override {
        HistoryTest::SetUp();
        RegisterPngPicture(pictures);
        StartForm();
        about = std::make_unique<TFormAbout>(pictures);
        settings = std::make_unique<TFormSetting>(*history);
        bulk = std::make_unique<TFormBulkWhoisLookupTool>();
        ownerRules->about = about.get();
        ownerRules->settings = settings.get();
        ownerRules->bulk = bulk.get();
        ownerRules->Connect();
        for (Form* f : Forms()) f->Create(Application);
    }
    void TearDown() override {
        bulk.reset();
        settings.reset();
        about.reset();
        HistoryTest::TearDown();
    }
    std::vector<Form*> Forms() { return {form.get(), about.get(), settings.get(), bulk.get()}; }
    Form& Of(Window window) { return *Forms()[static_cast<size_t>(window)]; }
    HWND Control(Window window, int id) { return id == kSearchEdit ? form->SearchEdit() : Of(window).Control(id); }

    PictureClassRegistry pictures;
    std::unique_ptr<TFormAbout> about;
    std::unique_ptr<TFormSetting> settings;
    std::unique_ptr<TFormBulkWhoisLookupTool> bulk;
};

struct Answer {
    std::string name;
    long role = -1;
};

// What a client learns of the control through the standard route, in the
// ANSI code page.
Answer Ask(HWND control) {
    Answer answer;
    IAccessible* object = nullptr;
    // __uuidof: the import library's IID_IAccessible is a code stub, not the id.
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return answer;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) {
        char bytes[512] = {};
        WideCharToMultiByte(CP_ACP, 0, name, -1, bytes, sizeof bytes, nullptr, nullptr);
        answer.name = bytes;
        SysFreeString(name);
    }
    VARIANT role{};
    if (object->get_accRole(self, &role) == S_OK && role.vt == VT_I4) answer.role = role.lVal;
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
        const Answer answer = Ask(control);
        EXPECT_EQ(answer.name, row.name);
        EXPECT_EQ(answer.role, wine && row.wineRole ? row.wineRole : row.role) << row.name;
    }
}

}  // namespace
