// A small form of the tests' own, owned by the application window like the
// program's forms, that can fail on request.
#pragma once

#include <stdexcept>

#include "win/form.h"

inline constexpr ControlLayout kTestControls[] = {
    {.windowClass = "BUTTON", .name = "Button1", .id = 201, .caption = "Button", .left = 8, .top = 8, .width = 75,
     .height = 25, .style = BS_PUSHBUTTON},
};
inline constexpr FormLayout kTestLayout{.windowClass = "TTestForm", .caption = "Test form",
                                        .style = WS_CAPTION | WS_SYSMENU, .left = 10, .top = 10,
                                        .clientWidth = 200, .clientHeight = 60, .controls = kTestControls};

class TestForm : public Form {
public:
    TestForm() : Form(kTestLayout) {}
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

