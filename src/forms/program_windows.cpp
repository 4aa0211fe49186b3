#include "forms/program_windows.h"

#include "win/application.h"

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

ProgramWindows::ProgramWindows(SearchHistory& history, const PictureClassRegistry& pictures) {
    Application.CreateForm(Form1, history);
    Application.CreateForm(FormAbout, pictures);
    Application.CreateForm(FormSetting, history);
    Application.CreateForm(FormBulkWhoisLookupTool);
    rules_.main = Form1;
    rules_.about = FormAbout;
    rules_.settings = FormSetting;
    rules_.bulk = FormBulkWhoisLookupTool;
    rules_.Connect();
}

void ProgramWindows::Run(int showCommand) { Application.Run(showCommand); }
