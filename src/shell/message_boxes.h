#pragma once

#include <string_view>

// The platform's standard message box, owned by the application window, for a
// failure that no handler dealt with. The text follows FailureBoxText.
void ShowFailureBox(std::string_view message);
