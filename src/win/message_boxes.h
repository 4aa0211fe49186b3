// The program's four message boxes, each modal with one "OK" button. While
// one is open every other visible window of the program is disabled; the
// window that was active before is activated again afterwards.
#pragma once

#include <exception>
#include <string_view>

#include "core/texts.h"

// Built by the program: caption "Warning" with the exclamation icon, "Error"
// with the stop icon, and the application title (empty) with no icon.
void ShowWarningBox(std::string_view text);
void ShowErrorBox(std::string_view text);
void ShowPlainBox(std::string_view text);

// The platform's standard message box, owned by the application window, for a
// failure that no handler dealt with. The text follows FailureBoxText.
void ShowFailureBox(std::string_view message);

// Runs a step and reports whatever it throws in the failure box; nothing
// unwinds into a system frame. Returns whether the step completed.
template <class Step>
bool RunReportingFailures(Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& failure) {
        ShowFailureBox(failure.what());
    } catch (...) {
        ShowFailureBox(texts::kUnexpectedFailure);
    }
    return false;
}
