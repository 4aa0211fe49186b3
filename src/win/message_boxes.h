// The program's four message boxes, each modal with one "OK" button. While
// one is open every other visible window of the program is disabled; the
// window that was active before is activated again afterwards.
#pragma once

#include <string_view>

// Built by the program: caption "Warning" with the exclamation icon, "Error"
// with the stop icon, and the application title (empty) with no icon.
void ShowWarningBox(std::string_view text);
void ShowErrorBox(std::string_view text);
void ShowPlainBox(std::string_view text);

// The platform's standard message box, owned by the application window, for a
// failure that no handler dealt with. The text follows FailureBoxText. The
// entry point installs it as the failure reporter (win/failure_boundary.h).
void ShowFailureBox(std::string_view message);
