#include "forms/program_windows.h"

#include <type_traits>

#include "core/texts.h"
#include "win/application.h"
#include "win/failure_boundary.h"
#include "win/message_boxes.h"

WindowRules::~WindowRules() { Application.ForgetListeners(this); }

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
}

// Queries committed since the last close are kept when the program ends.
void WindowRules::ListenForEnding() {
    Application.WhenEnding(this, [this](bool sessionEnding) { ProgramEnding(sessionEnding); });
}

void WindowRules::ProgramEnding(bool sessionEnding) {
    if (!history) return;
    if (!sessionEnding) {
        RunReportingFailures([this] { history->Save(); });
        return;
    }
    try {
        history->Save();
    } catch (...) {
        // The session is going away: nobody is left to read a message.
    }
    // The process may be ended any moment now, and a dead process would
    // leave its icon in the notification area.
    if (main) main->RemoveTrayIcon();
}

// The global reference is set before the creation step runs, so the step can
// reach its own form through it. After a terminate request (a copy already
// runs) no further form is made.
template <class TFormClass, class... Arguments>
void ProgramWindows::Make(std::unique_ptr<TFormClass>& form, TFormClass*& reference, Arguments&... arguments) {
    if (Application.Terminated()) return;
    form = std::make_unique<TFormClass>(arguments...);
    reference = form.get();
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
    Make(main_, Form1, history);
    Make(about_, FormAbout, pictures);
    Make(settings_, FormSetting, history);
    Make(bulk_, FormBulkWhoisLookupTool);
    rules_.main = main_.get();
    rules_.about = about_.get();
    rules_.settings = settings_.get();
    rules_.bulk = bulk_.get();
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
