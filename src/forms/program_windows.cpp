#include "forms/program_windows.h"

#include <type_traits>

#include "core/texts.h"
#include "win/ansi_code_page.h"
#include "win/application.h"
#include "win/failure_boundary.h"
#include "win/message_boxes.h"

WindowRules::~WindowRules() {
    Application.ForgetListeners(this);
    if (minimizeHooked_) Application.OnMinimize = nullptr;
}

void WindowRules::Connect() {
    for (RaisesRequests* form : {static_cast<RaisesRequests*>(main), static_cast<RaisesRequests*>(about),
                                 static_cast<RaisesRequests*>(bulk)})
        if (form) form->SetRequests(this);
}

// Closing the main window saves the history and hides the program; a failed
// save stops the entry there, and the main window stays.
void WindowRules::ShowBulkWindow() {
    if (main && !main->Close()) return;
    if (about) about->Close();
    if (bulk) bulk->Show();
}

void WindowRules::ShowAbout() {
    if (about) about->Show();
}

void WindowRules::ShowSettings() {
    if (settings) settings->Show();
}

void WindowRules::MainWindowRestored() {
    if (bulk) bulk->Hide();
    if (about) about->Hide();
}

// However the bulk window comes, the main window closes (history saved,
// program hidden in the notification area) and About hides; when that close
// fails (the history could not be saved), the bulk window stays hidden.
bool WindowRules::BulkWindowShowing() {
    if (main && !main->Close()) return false;
    if (about) about->Hide();
    return true;
}

void WindowRules::AboutShowing() {
    if (main) main->Hide();
    if (bulk) bulk->Hide();
}

void WindowRules::HideBulkWindow() {
    if (bulk) bulk->Hide();
}

// A history that cannot be read is reported; the main window still starts
// with an empty list and the rest of its set-up.
void WindowRules::MainWindowCreated() {
    if (history) RunReportingFailures([this] { history->Load(); });
    if (!main) return;
    // The icon's record; the icon itself comes with the first activation.
    trayIcon_.Set(MakeTrayIconData(main->Handle(), nullptr, texts::kTrayTip, SystemCodePage()));
    trayIcon_.SetImage(SmallProgramIcon(main->Dpi()));
    popupMenu1_.Reset(CreatePopupMenu());
    AppendMenuA(popupMenu1_.Get(), MF_STRING, TForm1::kWhoisLookup1, texts::kMenuWhoisLookup);
    AppendMenuA(popupMenu1_.Get(), MF_STRING, TForm1::kBulkWhoisLookup1, texts::kMenuBulkWhoisLookup);
    AppendMenuA(popupMenu1_.Get(), MF_STRING, TForm1::kAbout1, texts::kMenuAboutExit);
    Application.OnMinimize = [this] { AppMinimize(); };
    minimizeHooked_ = true;
}

void WindowRules::MainWindowActivated() {
    trayIcon_.Add();
    Application.HideTaskbarEntry();
}

// The menu's commands arrive at the main window, which owns it while open.
void WindowRules::OpenTrayMenu(POINT at) {
    if (main && popupMenu1_) TrackTrayMenu(main->Handle(), popupMenu1_.Get(), at);
}

void WindowRules::TaskbarCreated() { trayIcon_.Add(); }

void WindowRules::MainWindowScaled() {
    if (main) trayIcon_.SetImage(SmallProgramIcon(main->Dpi()));
}

void WindowRules::MainWindowDestroyed() {
    if (minimizeHooked_) Application.OnMinimize = nullptr;
    minimizeHooked_ = false;
    trayIcon_.Remove();
    main = nullptr;
}

// The program hides in the notification area. The icon is added here too: a
// program started minimized was never activated, and a hidden program
// without its icon could not be brought back.
void WindowRules::AppMinimize() {
    if (main) main->Hide();
    Application.HideTaskbarEntry();
    trayIcon_.Add();
}

// Queries committed since the last close are kept when the program ends. The
// save runs while the loop still does, so that its failure box can wait for
// OK; the program then stays, and Exit can be chosen again once the file is
// free, rather than end and lose what the box is about.
void WindowRules::EndProgram() {
    if (history && !RunReportingFailures([this] { history->Save(); })) return;
    Application.Terminate();
}

void WindowRules::ListenForEnding() {
    Application.WhenEnding(this, [this](bool sessionEnding) {
        if (sessionEnding) SessionEnding();
    });
}

void WindowRules::SessionEnding() {
    if (history) {
        try {
            history->Save();
        } catch (...) {
            // The session is going away: nobody is left to read a message.
        }
    }
    // The process may be ended any moment now, and a dead process would
    // leave its icon in the notification area.
    trayIcon_.Remove();
}

// The global reference and the rules' are set before the creation step runs,
// so the step can reach its own form through them. After a terminate request
// (a copy already runs) no further form is made.
template <class TFormClass, class... Arguments>
void ProgramWindows::Make(std::unique_ptr<TFormClass>& form, TFormClass*& reference, TFormClass*& rule,
                          Arguments&... arguments) {
    if (Application.Terminated()) return;
    form = std::make_unique<TFormClass>(arguments...);
    reference = form.get();
    rule = form.get();
    // The creation step may already raise a request (the main window's
    // history load).
    if constexpr (std::is_base_of_v<RaisesRequests, TFormClass>) form->SetRequests(&rules_);
    Application.CreateForm(*form);
}

ProgramWindows::ProgramWindows(SearchHistory& history, const PictureClassRegistry& pictures) {
    if (!guard_.Acquire()) {
        // A copy already runs: say so and end before anything else happens.
        ShowWarningBox(texts::kAlreadyRunning);
        Application.Terminate();
        return;
    }
    rules_.history = &history;
    Make(main_, Form1, rules_.main, history);
    Make(about_, FormAbout, rules_.about, pictures);
    Make(settings_, FormSetting, rules_.settings, history);
    Make(bulk_, FormBulkWhoisLookupTool, rules_.bulk);
    rules_.Connect();
    rules_.ListenForEnding();
    // After the rules' own (the history saved, the icon removed): the
    // process may be ended any moment once the session ends, and a dead
    // process would leave its marker on the desktop.
    Application.WhenEnding(this, [this](bool sessionEnding) {
        if (sessionEnding) guard_.Release();
    });
}

// The windows go before their objects, the last made first, as at the end of
// the loop; the global references stop pointing at them.
ProgramWindows::~ProgramWindows() {
    Application.ForgetListeners(this);
    for (Form* form : {static_cast<Form*>(bulk_.get()), static_cast<Form*>(settings_.get()),
                       static_cast<Form*>(about_.get()), static_cast<Form*>(main_.get())}) {
        if (!form) continue;
        form->Destroy();
        Application.ForgetForm(form);
    }
    if (Form1 == main_.get()) Form1 = nullptr;
    if (FormAbout == about_.get()) FormAbout = nullptr;
    if (FormSetting == settings_.get()) FormSetting = nullptr;
    if (FormBulkWhoisLookupTool == bulk_.get()) FormBulkWhoisLookupTool = nullptr;
}

void ProgramWindows::Run(int showCommand) {
    Application.Run(showCommand);
    guard_.Release();
}
