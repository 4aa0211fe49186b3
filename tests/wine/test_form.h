// A small form of the tests' own, owned by the application window like the
// program's forms, that can fail on request.
#pragma once

#include <stdexcept>

#include "shell/form.h"

inline constexpr ControlSpec kTestControls[] = {
    {"BUTTON", "Button1", 201, "Button", 8, 8, 75, 25, BS_PUSHBUTTON},
};
inline constexpr FormSpec kTestSpec{"TTestForm", "Test form", WS_CAPTION | WS_SYSMENU, 0, 10, 10,
                             200, 60, "MS Sans Serif", 8, kTestControls};

class TestForm : public Form {
public:
    TestForm() : Form(kTestSpec) {}
    bool failInCreate = false;
    bool createFinished = false;

protected:
    void FormCreate() override {
        if (failInCreate) throw std::runtime_error("Creation failed");
        createFinished = true;
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) throw std::runtime_error("Handler failed (on purpose)");
        return Form::HandleMessage(message, wParam, lParam);
    }
};

