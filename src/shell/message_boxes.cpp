#include "shell/message_boxes.h"

#include <windows.h>

#include <string>

#include "shell/application.h"
#include "shell/failure_text.h"

void ShowFailureBox(std::string_view message) {
    const std::string text = FailureBoxText(message);
    MessageBoxA(Application.Handle(), text.c_str(), Application.Title().c_str(), MB_OK | MB_ICONERROR);
}
