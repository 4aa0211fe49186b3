// Opening addresses in the user's browser through the shell's document
// launcher. The launcher is one replaceable function object: the program uses
// ShellExecuteA, in-process tests install a recorder.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

// Arguments in ShellExecuteA's order; returns its result.
using ShellLauncher = std::function<INT_PTR(HWND owner, const char* verb, const char* file,
                                            const char* parameters, const char* directory, int show)>;

// Installs a launcher (an empty one restores ShellExecuteA) and returns the previous one.
ShellLauncher SetShellLauncher(ShellLauncher launcher);

// Plain form: verb "open", show command SW_SHOW; the outcome is not looked at.
void OpenAddress(HWND owner, std::string_view address);

// Error-reporting form: verb "Open", show command SW_SHOWNORMAL; a result of
// 32 or less is shown in an error box. Its one caller is the About window,
// which passes itself as the owner.
void OpenAddressChecked(HWND owner, std::string_view address);
