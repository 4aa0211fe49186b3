#include "win/message_boxes.h"

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "core/failure.h"
#include "core/failure_text.h"
#include "core/message_box_layout.h"
#include "core/texts.h"
#include "win/application.h"
#include "win/failure_boundary.h"
#include "win/form.h"
#include "win/handles.h"

namespace {

constexpr int kIconId = 10, kTextId = 11;

// Disables every visible, enabled top-level window of this thread for the
// lifetime of a modal box, and gives activation back afterwards.
class ModalScope {
public:
    ModalScope() : previouslyActive_(GetActiveWindow()) {
        EnumThreadWindows(GetCurrentThreadId(), &ModalScope::Collect, reinterpret_cast<LPARAM>(this));
        for (HWND window : disabled_) EnableWindow(window, FALSE);
    }
    ~ModalScope() {
        EnableAgain();
        if (previouslyActive_ && IsWindow(previouslyActive_)) SetActiveWindow(previouslyActive_);
    }
    // Called before a box of its own goes: with the windows enabled again the
    // platform hands activation back to this program, not to another one.
    void EnableAgain() {
        for (HWND window : disabled_)
            if (IsWindow(window)) EnableWindow(window, TRUE);
        disabled_.clear();
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM self) {
        if (IsWindowVisible(window) && IsWindowEnabled(window))
            reinterpret_cast<ModalScope*>(self)->disabled_.push_back(window);
        return TRUE;
    }
    HWND previouslyActive_;
    std::vector<HWND> disabled_;
};

void CopyToClipboard(HWND owner, const std::string& text) {
    if (!OpenClipboard(owner)) throw EClipboardFailure();
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* bytes = GlobalLock(memory)) {
            memcpy(bytes, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

// One box: a window of its own class with a static text, an optional icon and
// the button, sized from the message font in dialog units.
class MessageForm : public Window {
public:
    MessageForm(std::string_view caption, std::string_view text, LPCSTR icon)
        : caption_(caption), text_(text), icon_(icon) {}

    void ShowModal() {
        if (!Build()) return;
        ModalScope modal;
        ShowWindow(Handle(), SW_SHOWNORMAL);
        SetForegroundWindow(Handle());
        SetFocus(GetDlgItem(Handle(), IDOK));
        RunLoop();
        modal.EnableAgain();
        DestroyHandle();
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) closed_ = true;
                return 0;
            case WM_CLOSE:
                closed_ = true;
                return 0;
        }
        return Window::HandleMessage(message, wParam, lParam);
    }

private:
    bool Build() {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        font_.Reset(CreateFontIndirectA(&metrics.lfMessageFont));

        MessageBoxMeasures measures = Measure();
        measures.hasIcon = icon_ != nullptr;
        const MessageBoxGeometry g = LayoutMessageBox(measures);

        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
        const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        RECT frame{0, 0, g.clientWidth, g.clientHeight};
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        if (!CreateHandle({.name = "TMessageForm", .backgroundColor = COLOR_BTNFACE}, exStyle, caption_.c_str(),
                          style,
                          {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                           width, height},
                          Application.Handle()))
            return false;
        // The layout is computed from the message font, in pixels.
        const std::array<ControlLayout, 3> controls{{
            {.windowClass = "STATIC", .name = "Image", .id = kIconId, .caption = nullptr,
             .left = g.icon.left, .top = g.icon.top, .width = g.icon.width, .height = g.icon.height,
             .style = SS_ICON, .tabStop = false},
            {.windowClass = "STATIC", .name = "Message", .id = kTextId, .caption = text_.c_str(),
             .left = g.text.left, .top = g.text.top, .width = g.text.width, .height = g.text.height,
             .style = SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, .tabStop = false},
            {.windowClass = "BUTTON", .name = "OK", .id = IDOK, .caption = texts::kOkButton,
             .left = g.button.left, .top = g.button.top, .width = g.button.width, .height = g.button.height,
             .style = BS_DEFPUSHBUTTON},
        }};
        CreateControls(Handle(), icon_ ? std::span(controls) : std::span(controls).subspan(1));
        if (icon_) {
            const HWND image = GetDlgItem(Handle(), kIconId);
            SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon_)), 0);
            SetWindowPos(image, nullptr, 0, 0, g.icon.width, g.icon.height, SWP_NOMOVE | SWP_NOZORDER);
        }
        for (int id : {kTextId, static_cast<int>(IDOK)})
            SendMessageA(GetDlgItem(Handle(), id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        return true;
    }

    // Average letter width and height of the message font, the laid-out text
    // block (tabs expanded, broken at words to half the screen width) and the
    // button caption's width.
    MessageBoxMeasures Measure() const {
        MessageBoxMeasures m;
        const WindowDc screen(nullptr);
        const HDC dc = screen.Get();
        const SelectedObject font(dc, font_.Get());
        static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE letters{};
        GetTextExtentPoint32A(dc, kLetters, 52, &letters);
        m.cx = letters.cx / 52;
        m.cy = letters.cy;
        RECT text{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
        DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &text,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
        m.textWidth = text.right - text.left;
        m.textHeight = text.bottom - text.top;
        RECT caption{0, 0, 0, 0};
        DrawTextA(dc, texts::kOkButton, -1, &caption, DT_CALCRECT | DT_SINGLELINE);
        m.buttonCaptionWidth = caption.right - caption.left;
        return m;
    }

    // Enter, Esc, Space on the button and the close button end the loop; Ctrl+C
    // copies the box's text. A quit request is passed on to the outer loop.
    void RunLoop() {
        MSG msg;
        while (!closed_) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (msg.message == WM_KEYDOWN && msg.wParam == 'C' && IsChild(Handle(), msg.hwnd) &&
                GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0) {
                MessageBeep(MB_OK);
                RunReportingFailures([this] {
                    CopyToClipboard(Handle(), MessageBoxClipboardText(caption_, text_, texts::kOkButton));
                });
                continue;
            }
            if (IsDialogMessageW(Handle(), &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    std::string caption_, text_;
    LPCSTR icon_;
    UniqueFont font_;
    bool closed_ = false;
};

}  // namespace

void ShowWarningBox(std::string_view text) { MessageForm(texts::kWarningCaption, text, IDI_EXCLAMATION).ShowModal(); }

void ShowErrorBox(std::string_view text) { MessageForm(texts::kErrorCaption, text, IDI_HAND).ShowModal(); }

void ShowPlainBox(std::string_view text) { MessageForm(Application.Title(), text, nullptr).ShowModal(); }

void ShowFailureBox(std::string_view message) {
    const std::string text = FailureBoxText(message);
    ModalScope modal;
    MessageBoxA(Application.Handle(), text.c_str(), Application.Title().c_str(), MB_OK | MB_ICONERROR);
}
