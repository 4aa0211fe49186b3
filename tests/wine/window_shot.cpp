#include "window_shot.h"

#include <fstream>

#include "image/png_blend.h"
#include "win/handles.h"

COLORREF WindowShot::At(int x, int y) const {
    const uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
    return RGB(p[2], p[1], p[0]);
}

std::map<COLORREF, int> WindowShot::Colours(const RECT& area) const {
    std::map<COLORREF, int> colours;
    for (int y = std::max(0L, area.top); y < std::min(static_cast<LONG>(height), area.bottom); ++y)
        for (int x = std::max(0L, area.left); x < std::min(static_cast<LONG>(width), area.right); ++x)
            ++colours[At(x, y)];
    return colours;
}

void WindowShot::Save(const std::wstring& path) const {
    BITMAPINFOHEADER info{sizeof info, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(offset + bgra.size()), 0, 0, offset};
    std::vector<uint8_t> opaque = bgra;  // the screen keeps no alpha; a viewer would read one
    for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(opaque.data()), static_cast<std::streamsize>(opaque.size()));
}

WindowShot ShootClient(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT client{};
    GetClientRect(window, &client);
    WindowShot shot{client.right, client.bottom, {}};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const WindowDc screen(window);
    UniqueBitmap copy(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
    {
        SelectedObject selected(memory.Get(), copy.Get());
        BitBlt(memory.Get(), 0, 0, shot.width, shot.height, screen.Get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    const auto* bytes = static_cast<const uint8_t*>(bits);
    shot.bgra.assign(bytes, bytes + static_cast<size_t>(shot.width) * shot.height * 4);
    return shot;
}

RECT ChildRect(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int LogoMismatches(const TFormAbout& form, const WindowShot& shot) {
    const RECT box = form.Image1Rect();
    const int width = box.right - box.left, height = box.bottom - box.top;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    std::vector<uint8_t> expected(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < expected.size(); i += 4) {
        expected[i] = GetBValue(face);
        expected[i + 1] = GetGValue(face);
        expected[i + 2] = GetRValue(face);
    }
    BlendPicture(*form.Logo(), expected.data(), static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* e = &expected[(static_cast<size_t>(y) * width + x) * 4];
            differing += shot.At(box.left + x, box.top + y) != RGB(e[2], e[1], e[0]);
        }
    return differing;
}
