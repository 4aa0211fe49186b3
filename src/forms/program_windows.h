// The owner of the program's windows: guards against a second copy of the
// program, makes the four forms, hidden, in their fixed order (main, About,
// settings, bulk) and holds the rules between them, which window hides which
// and what the menu's entries and the settings command show. The forms raise
// requests to it and know no other form.
#pragma once

#include <memory>

#include "forms/about_window.h"
#include "forms/bulk_window.h"
#include "forms/form_requests.h"
#include "forms/main_window.h"
#include "forms/search_history.h"
#include "forms/settings_window.h"
#include "image/picture_classes.h"
#include "win/handles.h"
#include "win/single_instance.h"
#include "win/tray_icon.h"

// The rules over the windows there are; a test's set may lack some. The
// history, when there is one, is loaded as the main window is made and saved
// when the program ends. The program's icon in the notification area and its
// menu belong here: from the main window's making to its end, minimizing the
// program hides it in that icon.
class WindowRules : public FormRequests {
public:
    TForm1* main = nullptr;
    TFormAbout* about = nullptr;
    TFormSetting* settings = nullptr;
    TFormBulkWhoisLookupTool* bulk = nullptr;
    SearchHistory* history = nullptr;

    WindowRules() = default;
    ~WindowRules();
    WindowRules(const WindowRules&) = delete;
    WindowRules& operator=(const WindowRules&) = delete;

    // Every window there is raises its requests here.
    void Connect();
    // From now on the end of the session saves the history.
    void ListenForEnding();

    void ShowBulkWindow() override;
    void ShowAbout() override;
    void ShowSettings() override;
    void MainWindowRestored() override;
    bool BulkWindowShowing() override;
    void AboutShowing() override;
    void HideBulkWindow() override;
    void EndProgram() override;
    void MainWindowCreated() override;
    void MainWindowActivated() override;
    void OpenTrayMenu(POINT at) override;
    void TaskbarCreated() override;
    void MainWindowDestroyed() override;
    void MainWindowScaled() override;

    const NOTIFYICONDATAA& TrayIconData() const { return trayIcon_.Data(); }
    HMENU PopupMenu1() const { return popupMenu1_.Get(); }

private:
    // The program's minimize notification: it hides in the icon.
    void AppMinimize();
    // At the end of the session: saves the history and removes the icon.
    void SessionEnding();

    TrayIcon trayIcon_;
    UniqueMenu popupMenu1_;
    bool minimizeHooked_ = false;
};

class ProgramWindows {
public:
    // Creates the forms hidden; the global references point at them while
    // they live. When a copy of the program already runs, says so and makes
    // no form: the program ends.
    ProgramWindows(SearchHistory& history, const PictureClassRegistry& pictures);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // Shows the main window as the show command says and runs the loop until
    // the program ends; the windows are destroyed after it, then the marker
    // of the running copy goes.
    void Run(int showCommand);

private:
    template <class TFormClass, class... Arguments>
    void Make(std::unique_ptr<TFormClass>& form, TFormClass*& reference, TFormClass*& rule,
              Arguments&... arguments);

    SingleInstanceGuard guard_;
    std::unique_ptr<TForm1> main_;
    std::unique_ptr<TFormAbout> about_;
    std::unique_ptr<TFormSetting> settings_;
    std::unique_ptr<TFormBulkWhoisLookupTool> bulk_;
    WindowRules rules_;
};
