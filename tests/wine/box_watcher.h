// Watches the windows that activate on this thread while a modal box runs
// its own loop, and lets a test act on them (read them, post keys) from a
// CBT hook, so no test waits on time.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win/window_text.h"

class BoxWatcher {
public:
    // Called for each activation of a top-level window of this thread.
    explicit BoxWatcher(std::function<void(HWND)> onActivate);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    std::function<void(HWND)> onActivate_;
};

std::string ClassName(HWND window);
// Children of a window, in z-order.
std::vector<HWND> Children(HWND parent);
// The message text of a box: the text of its first static with text.
std::string BoxMessage(HWND box);
// A key as the keyboard would deliver it to the focused control.
void PostKey(HWND target, UINT key);
// Whether the shell holds the program's icon for this window.
bool IconShown(HWND window);
