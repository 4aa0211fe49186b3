// The few file-system facts the program needs, with the system's own words
// for what went wrong. Paths are wide-character strings: a folder's name need
// not have a form in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

// Whether a file (not a folder) exists at the path.
bool IsFile(const std::wstring& path);
// The folder of the executable, up to and including the last separator.
std::wstring ExecutableFolder();
// The system's text for an error as failure messages quote it: trailing full
// stops, blanks and line breaks removed.
std::string SystemErrorText(DWORD error);
