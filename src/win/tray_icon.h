// The program's icon in the notification area, its menu, and windows placed
// above it. Nothing else in the program talks to the notification area.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string_view>

#include "core/code_page.h"
#include "win/handles.h"

inline constexpr UINT kTrayIconId = 123;
// Mouse events on the icon arrive at the window as this message, the mouse
// message in lParam.
inline constexpr UINT kTrayCallbackMessage = 1357;

// The program's icon in its own small image for `dpi` (the resource holds
// one per common scale), not a larger one that the shell would shrink.
UniqueIcon SmallProgramIcon(UINT dpi);

// The icon's record in the oldest layout every shell accepts: the window that
// receives kTrayCallbackMessage, the icon, and the tip, cut to 63 bytes
// without splitting a character of the code page.
NOTIFYICONDATAA MakeTrayIconData(HWND window, HICON icon, std::string_view tip, const CodePage& codePage);

// The program's icon in the notification area over its life: added once, and
// again when a restarted shell has lost it (the shell's results are not
// examined: a shell that is not up yet announces its taskbar when it is),
// removed when the program or the session ends, and at the latest with the
// object. Without a record nothing happens.
class TrayIcon {
public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() { Remove(); }

    // The record; nothing shows until Add.
    void Set(const NOTIFYICONDATAA& data) { data_ = data; }
    // The record's image, kept for as long as the record shows it. An icon
    // that shows changes in place: taken away and added again it would lose
    // its place among the others.
    void SetImage(UniqueIcon image);
    const NOTIFYICONDATAA& Data() const { return data_; }
    // Adds the icon unless it is added: each add is a call into the shell's
    // process, about a millisecond, on every activation.
    void Add();
    void AddAgain();  // the shell restarted without it
    void Remove();

private:
    NOTIFYICONDATAA data_{};  // all zero until set
    UniqueIcon image_;
    bool added_ = false;
};

// An icon of the record's version hears of the keyboard as of the right
// mouse button: Enter, Space and the context-menu key alike arrive as a
// right-button press. True when such a press came from Enter or Space: the
// button is up and one of those keys is down. `keyDown` tells whether a
// virtual key (a mouse button's the physical one) is down now.
bool PhysicalKeyDown(int key);
bool RightPressCameFromEnterOrSpace(bool (*keyDown)(int key) = PhysicalKeyDown);

// Sent to top-level windows when the taskbar is (re)created, e.g. after the
// shell restarted: the icon must then be added again.
UINT TaskbarCreatedMessage();

// Shows `menu` at `at` (screen coordinates) and returns when it closes; the
// chosen command arrives at `owner` as WM_COMMAND.
void TrackTrayMenu(HWND owner, HMENU menu, POINT at);

// The notification area's rectangle in screen coordinates, or the zero
// rectangle when the shell has none.
RECT GetTrayNotifyRect();

// Moves `window` (keeping its size) just above the notification area, inside
// the work area of the monitor nearest to it; without a notification area, to
// the bottom-right corner of the primary monitor's work area.
void PlaceAboveNotificationArea(HWND window);
