#include <windows.h>

#include "lookup/form1.h"
#include "lookup/fsetting.h"
#include "shell/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Application.SetTitle("");
    Application.Initialize(instance);
    Application.CreateForm(Form1);
    Application.CreateForm(FormSetting);
    Application.Run();
    return 0;
}
