// The entry point: makes the one search history and the windows, in their
// fixed order, and hands control to the application object.
#include <windows.h>

#include "forms/bulk_window.h"
#include "forms/main_window.h"
#include "forms/search_history.h"
#include "forms/settings_window.h"
#include "win/application.h"
#include "win/files.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    Application.SetTitle("");
    Application.Initialize(instance);
    SearchHistory history(ExecutableFolder());
    Application.CreateForm(Form1, history);
    Application.CreateForm(FormSetting, history);
    Application.CreateForm(FormBulkWhoisLookupTool);
    Application.Run(showCommand);
    return 0;
}
