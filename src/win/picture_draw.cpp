#include "win/picture_draw.h"

#include "image/png_blend.h"
#include "image/png_failures.h"
#include "win/handles.h"

#include <algorithm>
#include <cstring>

namespace {

// A memory device context compatible with `canvas`, or EPngOutMemory.
UniqueMemoryDc MemoryDc(HDC canvas) {
    UniqueMemoryDc dc(CreateCompatibleDC(canvas));
    if (!dc) throw EPngOutMemory();
    return dc;
}

template <class Handle>
Handle Required(Handle handle) {
    if (!handle) throw EPngOutMemory();
    return handle;
}

const BITMAPINFO* StorageInfo(const PngStorage& image) {
    return reinterpret_cast<const BITMAPINFO*>(image.BitmapInfo());
}

void DrawStretched(const PngStorage& image, HDC canvas, int left, int top, int width, int height) {
    const int oldMode = SetStretchBltMode(canvas, COLORONCOLOR);
    StretchDIBits(canvas, left, top, width, height, 0, 0, static_cast<int>(image.Width()),
                  static_cast<int>(image.Height()), image.Bits(), StorageInfo(image), DIB_RGB_COLORS,
                  SRCCOPY);
    SetStretchBltMode(canvas, oldMode);
}

// The mask technique: a monochrome mask of the rect's size, 1 where the image
// shows the transparent colour, keeps the background in a work copy of the
// rect; the image, blackened under the mask, is ORed over it.
void DrawWithMask(const TPngPicture& picture, HDC canvas, int left, int top, int width, int height) {
    const PngStorage& image = picture.Image();
    const int w = static_cast<int>(image.Width()), h = static_cast<int>(image.Height());

    void* bits = nullptr;
    UniqueBitmap imageBitmap(Required(CreateDIBSection(canvas, StorageInfo(image), DIB_RGB_COLORS, &bits, nullptr, 0)));
    std::memcpy(bits, image.Bits(), image.Stride() * image.Height());
    UniqueMemoryDc imageDc = MemoryDc(canvas);
    SelectedObject imageSelected(imageDc.Get(), imageBitmap.Get());

    const PngColor t = picture.TransparentColor();
    SetBkColor(imageDc.Get(), RGB(t.red, t.green, t.blue));
    UniqueBitmap mask(Required(CreateBitmap(width, height, 1, 1, nullptr)));
    UniqueMemoryDc maskDc = MemoryDc(canvas);
    SelectedObject maskSelected(maskDc.Get(), mask.Get());
    SetStretchBltMode(maskDc.Get(), COLORONCOLOR);
    StretchBlt(maskDc.Get(), 0, 0, width, height, imageDc.Get(), 0, 0, w, h, SRCCOPY);

    UniqueBitmap work(Required(CreateCompatibleBitmap(canvas, width, height)));
    UniqueMemoryDc workDc = MemoryDc(canvas);
    SelectedObject workSelected(workDc.Get(), work.Get());
    // Monochrome to colour: 1 becomes the background colour, 0 the text colour.
    SetBkColor(workDc.Get(), RGB(255, 255, 255));
    SetTextColor(workDc.Get(), RGB(0, 0, 0));
    BitBlt(workDc.Get(), 0, 0, width, height, canvas, left, top, SRCCOPY);
    BitBlt(workDc.Get(), 0, 0, width, height, maskDc.Get(), 0, 0, SRCAND);

    UniqueBitmap copy(Required(CreateCompatibleBitmap(canvas, w, h)));
    UniqueMemoryDc copyDc = MemoryDc(canvas);
    SelectedObject copySelected(copyDc.Get(), copy.Get());
    SetBkColor(copyDc.Get(), RGB(255, 255, 255));
    SetTextColor(copyDc.Get(), RGB(0, 0, 0));
    BitBlt(copyDc.Get(), 0, 0, w, h, imageDc.Get(), 0, 0, SRCCOPY);
    constexpr DWORD kDestAndNotSource = 0x00220326;
    SetStretchBltMode(copyDc.Get(), COLORONCOLOR);
    StretchBlt(copyDc.Get(), 0, 0, w, h, maskDc.Get(), 0, 0, width, height, kDestAndNotSource);

    SetStretchBltMode(workDc.Get(), COLORONCOLOR);
    StretchBlt(workDc.Get(), 0, 0, width, height, copyDc.Get(), 0, 0, w, h, SRCPAINT);
    BitBlt(canvas, left, top, width, height, workDc.Get(), 0, 0, SRCCOPY);
}

// Reads the rect into a 32-bit buffer once, blends in integers, writes it back once.
void DrawBlended(const TPngPicture& picture, HDC canvas, int left, int top, int width, int height) {
    if (uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) * 4 > PngStorage::kMaxBytes) {
        throw EPngOutMemory();
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap buffer(CreateDIBSection(canvas, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!buffer || !bits) throw EPngOutMemory();
    UniqueMemoryDc dc = MemoryDc(canvas);
    SelectedObject selected(dc.Get(), buffer.Get());
    BitBlt(dc.Get(), 0, 0, width, height, canvas, left, top, SRCCOPY);
    GdiFlush();
    BlendPicture(picture, static_cast<uint8_t*>(bits), static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    BitBlt(canvas, left, top, width, height, dc.Get(), 0, 0, SRCCOPY);
}

}  // namespace

void Draw(const TPngPicture& picture, HDC canvas, const RECT& rect) {
    if (picture.Empty() || picture.Width() == 0 || picture.Height() == 0) return;
    const int left = std::min(rect.left, rect.right), top = std::min(rect.top, rect.bottom);
    const int width = std::max(rect.left, rect.right) - left;
    const int height = std::max(rect.top, rect.bottom) - top;
    if (width == 0 || height == 0) return;
    switch (picture.TransparencyMode()) {
        case PngTransparencyMode::None: DrawStretched(picture.Image(), canvas, left, top, width, height); break;
        case PngTransparencyMode::Bit: DrawWithMask(picture, canvas, left, top, width, height); break;
        case PngTransparencyMode::Partial: DrawBlended(picture, canvas, left, top, width, height); break;
    }
}
