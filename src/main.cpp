// The entry point: installs the failure box as the reporter of failures that
// no handler dealt with, reads the command line once, hands its query to a
// running copy at once if it can (else the usage and a refused query end the
// program once the application window is made), makes the picture classes
// and the owner of the program's windows (with the history where it is kept,
// and the command line's query), and runs it.
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <utility>

#include "forms/command_line_query.h"
#include "forms/program_windows.h"
#include "image/picture_classes.h"
#include "image/png_picture.h"
#include "win/application.h"
#include "win/failure_boundary.h"
#include "win/message_boxes.h"

#if defined(__GLIBCXX__)
// No exception leaves a handler, so the library's verbose terminate handler,
// which prints a demangled type name nobody sees in a windowed program, would
// only bring its demangler (about 45 KB) into the executable.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // DLLs come from the system folder only: a portable copy in a downloads
    // folder must not load a DLL planted beside it, nor let the shell do so.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetFailureReporter(ShowFailureBox);
    StartRequest start = ReadCommandLine();
    if (HandedOverAtStart(start, TForm1::kWindowClass)) return 0;
    Application.SetTitle("");
    Application.Initialize(instance);
    if (const std::optional<int> exitCode = ShowStartBox(start)) return *exitCode;
    PictureClassRegistry pictures;
    RegisterPngPicture(pictures);
    ProgramWindows windows(HistoryPlaceForProgram(), pictures, std::move(start.check.query));
    windows.Run(showCommand);
    return 0;
}
