// The owner of the program's windows, made by the entry point: guards against
// a second copy of the program, holds the history and the four forms, makes
// the forms hidden in their fixed order (main, About, settings, bulk), holds
// the rules between them (which window hides which, what the menu's entries
// and the settings command show, what the end of the program saves), and is
// their only destroyer, after the loop.
#pragma once

#include "forms/about_window.h"
#include "forms/bulk_window.h"
#include "forms/command_line_query.h"
#include "forms/form_requests.h"
#include "forms/main_window.h"
#include "forms/search_history.h"
#include "forms/settings_window.h"
#include "image/picture_classes.h"
#include "win/application.h"
#include "win/single_instance.h"

class ProgramWindows final : private FormRequests, private ProgramEvents {
public:
    // Creates the forms hidden; the global references point at them while
    // they live. When a copy of the program already runs, makes no form: the
    // command line's query, if any, goes to that copy, and the program ends;
    // without one, or when that copy does not take it, a warning says that a
    // copy runs.
    ProgramWindows(HistoryPlace historyPlace, const PictureClassRegistry& pictures,
                   std::optional<OutsideQuery> query = std::nullopt);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // Shows the main window as the show command says and runs the loop until
    // the program ends, the command line's query looked up once it runs; then the windows go, then the marker of the running
    // copy.
    void Run(int showCommand);

private:
    void ShowBulkWindow() override;
    void ShowAboutWindow() override;
    void ShowSettingsWindow() override;
    void HideBulkAndAbout() override;
    bool MakeRoomForBulkWindow() override;
    void MakeRoomForAbout() override;
    void HideBulkWindow() override;
    void EndProgram() override;
    bool SetHotkey(std::uint32_t word) override;

    void CloseRequested() override;
    void Minimized() override;
    void SessionEnding() override;

    // The windows go, the last made first; the global references stop
    // pointing at them.
    void DestroyForms();

    SingleInstanceGuard guard_;
    std::optional<OutsideQuery> query_;
    SearchHistory history_;
    TForm1 main_;
    TFormAbout about_;
    TFormSetting settings_;
    TFormBulkWhoisLookupTool bulk_;
};
