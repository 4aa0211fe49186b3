#include "forms/program_windows.h"

#include "core/texts.h"
#include "win/failure_boundary.h"
#include "win/message_boxes.h"

ProgramWindows::ProgramWindows(HistoryPlace historyPlace, const PictureClassRegistry& pictures,
                               std::optional<OutsideQuery> query)
    : query_(std::move(query)), history_(std::move(historyPlace)), main_(history_), about_(pictures),
      settings_(history_) {
    if (!guard_.Acquire()) {
        // A copy already runs: it looks up the query, or the user is told,
        // and this copy ends before anything else happens.
        if (!query_ || !HandQueryToRunningCopy(Application.Handle(), TForm1::kWindowClass, query_->wide))
            ShowWarningBox(texts::kAlreadyRunning);
        Application.Terminate();
        return;
    }
    Application.SetEvents(this);
    main_.SetRequests(this);
    about_.SetRequests(this);
    settings_.SetRequests(this);
    bulk_.SetRequests(this);
    Form1 = &main_;
    FormAbout = &about_;
    FormSetting = &settings_;
    FormBulkWhoisLookupTool = &bulk_;
    for (Form* form : {static_cast<Form*>(&main_), static_cast<Form*>(&about_), static_cast<Form*>(&settings_),
                       static_cast<Form*>(&bulk_)})
        form->Create(Application);
    // The stored hotkey, if any: a key another program holds shows no box
    // now; the settings window says it.
    settings_.ApplyStoredHotkey();
}

ProgramWindows::~ProgramWindows() { DestroyForms(); }

void ProgramWindows::DestroyForms() {
    if (Form1 == &main_) {
        Application.SetEvents(nullptr);
        Form1 = nullptr;
    }
    if (FormAbout == &about_) FormAbout = nullptr;
    if (FormSetting == &settings_) FormSetting = nullptr;
    if (FormBulkWhoisLookupTool == &bulk_) FormBulkWhoisLookupTool = nullptr;
    for (Form* form : {static_cast<Form*>(&bulk_), static_cast<Form*>(&settings_), static_cast<Form*>(&about_),
                       static_cast<Form*>(&main_)}) {
        if (form->Visible()) form->Hide();
        form->Destroy();
    }
}

void ProgramWindows::Run(int showCommand) {
    // Posted now, handled once the loop runs: the window shows first.
    if (query_ && !Application.Terminated() && main_.Handle()) main_.LookUpLater(query_->bytes, false);
    Application.Run(main_, showCommand);
    DestroyForms();
    Application.Shutdown();
    guard_.Release();
}

// The main window has closed already (history saved, program hidden); the
// bulk window's show makes room for itself.
void ProgramWindows::ShowBulkWindow() { bulk_.Show(); }

void ProgramWindows::ShowAboutWindow() { about_.Show(); }

void ProgramWindows::ShowSettingsWindow() { settings_.Show(); }

void ProgramWindows::HideBulkAndAbout() {
    bulk_.Hide();
    about_.Hide();
}

// However the bulk window comes, the main window closes (history saved,
// program hidden in the notification area) and About hides; when that close
// fails (the history could not be saved), the bulk window stays hidden.
bool ProgramWindows::MakeRoomForBulkWindow() {
    if (!main_.Close()) return false;
    about_.Hide();
    return true;
}

void ProgramWindows::MakeRoomForAbout() {
    main_.Hide();
    bulk_.Hide();
}

void ProgramWindows::HideBulkWindow() { bulk_.Hide(); }

// Queries committed since the last close are kept when the program ends. The
// save runs while the loop still does, so that its failure box can wait for
// OK; the program then stays, and Exit can be chosen again once the file is
// free, rather than end and lose what the box is about.
void ProgramWindows::EndProgram() {
    if (RunReportingFailures([this] { history_.Save(); })) Application.Terminate();
}

bool ProgramWindows::SetHotkey(std::uint32_t word) { return main_.SetHotkey(word); }

void ProgramWindows::CloseRequested() { main_.Close(); }

// The program hides in the notification area.
void ProgramWindows::Minimized() { main_.HideToTray(); }

// The process may be ended any moment now: a dead process would leave its
// icon in the notification area and its marker on the desktop.
void ProgramWindows::SessionEnding() {
    try {
        history_.Save();
    } catch (...) {
        // The session is going away: nobody is left to read a message.
    }
    main_.RemoveIcon();
    guard_.Release();
}
