#include "win/button_glyph.h"

#include "win/window.h"

UniqueImageList SetButtonGlyph(HWND button, const char* resource, UINT dpi) {
    UniqueBitmap source(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), resource, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!source) return {};
    BITMAP info{};
    GetObjectA(source.Get(), sizeof info, &info);
    const int glyph = info.bmWidth / 2, height = info.bmHeight;
    // Pixel by pixel, nearest neighbour: edges stay hard and the transparent
    // colour stays exact, which a smoothing stretch would blend away.
    const int width = ScaleForDpi(glyph, dpi), scaledHeight = ScaleForDpi(height, dpi);
    // One image per push-button state: normal, hot, pressed, disabled,
    // defaulted, stylus-hot.
    constexpr int kStates = 6;
    constexpr int kDisabled = 3;

    const WindowDc screen(nullptr);
    UniqueMemoryDc from(CreateCompatibleDC(screen.Get())), to(CreateCompatibleDC(screen.Get()));
    UniqueBitmap strip(CreateCompatibleBitmap(screen.Get(), width * kStates, scaledHeight));
    COLORREF transparent;
    {
        SelectedObject a(from.Get(), source.Get()), b(to.Get(), strip.Get());
        transparent = GetPixel(from.Get(), 0, height - 1);
        SetStretchBltMode(to.Get(), COLORONCOLOR);
        for (int state = 0; state < kStates; ++state)
            StretchBlt(to.Get(), state * width, 0, width, scaledHeight, from.Get(),
                       state == kDisabled ? glyph : 0, 0, glyph, height, SRCCOPY);
    }
    UniqueImageList list(ImageList_Create(width, scaledHeight, ILC_COLOR24 | ILC_MASK, kStates, 0));
    ImageList_AddMasked(list.Get(), strip.Get(), transparent);
    BUTTON_IMAGELIST images{list.Get(), {ScaleForDpi(2, dpi), 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
    return list;
}
