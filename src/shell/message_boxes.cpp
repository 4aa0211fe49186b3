#include "shell/message_boxes.h"

#include <windows.h>

#include <string>
#include <vector>

#include "shell/application.h"
#include "shell/failure.h"
#include "shell/failure_text.h"
#include "shell/message_box_layout.h"
#include "shell/win_handle.h"

namespace {

constexpr char kWindowClass[] = "TMessageForm";
constexpr char kButtonCaption[] = "OK";

// Disables every visible, enabled top-level window of this thread for the
// lifetime of a modal box, and gives activation back afterwards.
class ModalScope {
public:
    ModalScope() : previouslyActive_(GetActiveWindow()) {
        EnumThreadWindows(GetCurrentThreadId(), &ModalScope::Collect, reinterpret_cast<LPARAM>(this));
        for (HWND window : disabled_) EnableWindow(window, FALSE);
    }
    ~ModalScope() {
        for (HWND window : disabled_)
            if (IsWindow(window)) EnableWindow(window, TRUE);
        if (previouslyActive_ && IsWindow(previouslyActive_)) SetActiveWindow(previouslyActive_);
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
class MessageForm {
public:
    MessageForm(std::string_view caption, std::string_view text, LPCSTR icon)
        : caption_(caption), text_(text), icon_(icon) {}

    void ShowModal() {
        Build();
        if (!hwnd_) return;
        ModalScope modal;
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        SetForegroundWindow(hwnd_);
        SetFocus(GetDlgItem(hwnd_, IDOK));
        RunLoop();
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }

private:
    static void RegisterWindowClass() {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        if (GetClassInfoExA(instance, kWindowClass, &wc)) return;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kWindowClass;
        RegisterClassExA(&wc);
    }

    void Build() {
        RegisterWindowClass();
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
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        hwnd_ = CreateWindowExA(exStyle, kWindowClass, caption_.c_str(), style,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                                Application.Handle(), nullptr, instance, this);
        if (!hwnd_) return;
        if (icon_) {
            const HWND image = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON,
                                               g.icon.left, g.icon.top, g.icon.width, g.icon.height,
                                               hwnd_, nullptr, instance, nullptr);
            SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon_)), 0);
            SetWindowPos(image, nullptr, 0, 0, g.icon.width, g.icon.height, SWP_NOMOVE | SWP_NOZORDER);
        }
        const HWND label = CreateWindowExA(0, "STATIC", text_.c_str(),
                                           WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
                                           g.text.left, g.text.top, g.text.width, g.text.height,
                                           hwnd_, nullptr, instance, nullptr);
        const HWND button = CreateWindowExA(
            0, "BUTTON", kButtonCaption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
            g.button.left, g.button.top, g.button.width, g.button.height, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
        for (HWND control : {label, button})
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }

    // Average letter width and height of the message font, the laid-out text
    // block (tabs expanded, broken at words to half the screen width) and the
    // button caption's width.
    MessageBoxMeasures Measure() const {
        MessageBoxMeasures m;
        const HDC dc = GetDC(nullptr);
        const HGDIOBJ previous = SelectObject(dc, font_.Get());
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
        DrawTextA(dc, kButtonCaption, -1, &caption, DT_CALCRECT | DT_SINGLELINE);
        m.buttonCaptionWidth = caption.right - caption.left;
        SelectObject(dc, previous);
        ReleaseDC(nullptr, dc);
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
            if (msg.message == WM_KEYDOWN && msg.wParam == 'C' && IsChild(hwnd_, msg.hwnd) &&
                GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0) {
                MessageBeep(MB_OK);
                RunReportingFailures([this] {
                    CopyToClipboard(hwnd_, MessageBoxClipboardText(caption_, text_, kButtonCaption));
                });
                continue;
            }
            if (IsDialogMessageW(hwnd_, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(
                                                       reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<MessageForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) self->closed_ = true;
                return 0;
            case WM_CLOSE:
                self->closed_ = true;
                return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    std::string caption_, text_;
    LPCSTR icon_;
    HWND hwnd_ = nullptr;
    UniqueFont font_;
    bool closed_ = false;
};

}  // namespace

void ShowWarningBox(std::string_view text) { MessageForm("Warning", text, IDI_EXCLAMATION).ShowModal(); }

void ShowErrorBox(std::string_view text) { MessageForm("Error", text, IDI_HAND).ShowModal(); }

void ShowPlainBox(std::string_view text) { MessageForm(Application.Title(), text, nullptr).ShowModal(); }

void ShowFailureBox(std::string_view message) {
    const std::string text = FailureBoxText(message);
    ModalScope modal;
    MessageBoxA(Application.Handle(), text.c_str(), Application.Title().c_str(), MB_OK | MB_ICONERROR);
}
