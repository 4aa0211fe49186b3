#include "box_watcher.h"

#include "../shell_icon.h"
#include "win/tray_icon.h"

namespace {
BoxWatcher* g_watcher = nullptr;  // the hook procedure has no context argument
}

BoxWatcher::BoxWatcher(std::function<void(HWND)> onActivate) : onActivate_(std::move(onActivate)) {
    g_watcher = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

BoxWatcher::~BoxWatcher() {
    UnhookWindowsHookEx(hook_);
    g_watcher = nullptr;
}

LRESULT CALLBACK BoxWatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_watcher) g_watcher->onActivate_(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string ClassName(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::string BoxMessage(HWND box) {
    for (HWND child : Children(box))
        if (_stricmp(ClassName(child).c_str(), "Static") == 0 && !WindowText(child).empty())
            return WindowText(child);
    return {};
}

void PostKey(HWND target, UINT key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

bool IconShown(HWND window) { return NotifyShellIcon(NIM_MODIFY, window, kTrayIconId); }
