// Draw through the platform's graphics functions, into a 32-bit canvas,
// checked against the portable drawing of the same picture.
#include "image/png_blend.h"
#include "win/picture_draw.h"
#include "png_test_files.h"

#include <gtest/gtest.h>

namespace {

using namespace pngtest;

// A memory device context with a top-down 32-bit bitmap, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < width * height; ++i) {
            uint8_t* p = Pixels() + 4 * i;
            p[0] = GetBValue(fill), p[1] = GetGValue(fill), p[2] = GetRValue(fill), p[3] = 0;
        }
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    uint8_t* Pixels() const { return static_cast<uint8_t*>(bits_); }
    // The canvas with the unused fourth byte cleared.
    std::vector<uint8_t> Bytes() const {
        GdiFlush();
        std::vector<uint8_t> out(Pixels(), Pixels() + size_t(width_) * height_ * 4);
        for (size_t i = 3; i < out.size(); i += 4) out[i] = 0;
        return out;
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    void* bits_ = nullptr;
};

std::vector<uint8_t> Portable(const TPngPicture& picture, int width, int height, COLORREF fill) {
    Canvas reference(width, height, fill);
    std::vector<uint8_t> pixels = reference.Bytes();
    DrawPictureToBuffer(picture, pixels.data(), width, height);
    return pixels;
}

TEST(PngDraw, PartialModeBlendsLikeThePortableKernel) {
    TPngPicture logo;
    Load(logo, ReadFileBytes(std::string(QUORVANE_ASSETS_DIR) + "/logo.png"));
    const COLORREF fill = RGB(0xD4, 0xD0, 0xC8);
    Canvas canvas(65, 65, fill);
    Draw(logo, canvas.Dc(), RECT{0, 0, 65, 65});
    EXPECT_TRUE(canvas.Bytes() == Portable(logo, 65, 65, fill));

    // A reversed rect draws as its normalised rect; a zero-wide one draws nothing.
    Canvas reversed(65, 65, fill);
    Draw(logo, reversed.Dc(), RECT{65, 65, 0, 0});
    EXPECT_TRUE(reversed.Bytes() == canvas.Bytes());
    Canvas untouched(65, 65, fill);
    const auto before = untouched.Bytes();
    Draw(logo, untouched.Dc(), RECT{10, 0, 10, 65});
    Draw(logo, untouched.Dc(), RECT{0, 30, 65, 30});
    EXPECT_TRUE(untouched.Bytes() == before);

    // A blend buffer beyond what a picture may take is refused before the platform is asked.
    EXPECT_THROW(Draw(logo, untouched.Dc(), RECT{0, 0, 20000, 20000}), EPngOutMemory);
}

TEST(PngDraw, NoneAndBitModesAtTheImagesOwnSize) {
    const COLORREF fill = RGB(1, 2, 3);
    TPngPicture picture;
    // RGB without tRNS: none mode.
    Load(picture, File(IhdrData(2, 2, 8, 2), {0, 10, 20, 30, 40, 50, 60, 0, 70, 80, 90, 100, 110, 120}));
    ASSERT_EQ(picture.TransparencyMode(), PngTransparencyMode::None);
    Canvas plain(2, 2, fill);
    Draw(picture, plain.Dc(), RECT{0, 0, 2, 2});
    EXPECT_TRUE(plain.Bytes() == Portable(picture, 2, 2, fill));

    // The same with tRNS naming the second pixel's colour: bit mode.
    Load(picture, File(IhdrData(2, 2, 8, 2), {0, 10, 20, 30, 40, 50, 60, 0, 70, 80, 90, 100, 110, 120},
                       Chunk("tRNS", {0, 40, 0, 50, 0, 60})));
    ASSERT_EQ(picture.TransparencyMode(), PngTransparencyMode::Bit);
    Canvas masked(2, 2, fill);
    Draw(picture, masked.Dc(), RECT{0, 0, 2, 2});
    EXPECT_TRUE(masked.Bytes() == Portable(picture, 2, 2, fill));

    // A palette image in bit mode, doubled: the mask scales with the picture.
    Load(picture, File(IhdrData(2, 1, 8, 3), {0, 0, 1},
                       Concat({Chunk("PLTE", {200, 0, 0, 0, 200, 0}), Chunk("tRNS", {255, 0})})));
    ASSERT_EQ(picture.TransparencyMode(), PngTransparencyMode::Bit);
    Canvas doubled(4, 2, fill);
    Draw(picture, doubled.Dc(), RECT{0, 0, 4, 2});
    EXPECT_TRUE(doubled.Bytes() == Portable(picture, 4, 2, fill));
}

TEST(PngDraw, HalftonePaletteIsThePlatforms) {
    HDC screen = GetDC(nullptr);
    HPALETTE palette = CreateHalftonePalette(screen);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(palette, nullptr);
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(GetPaletteEntries(palette, 0, 256, entries), 256u);
    DeleteObject(palette);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(kHalftonePalette[i], (PngColor{entries[i].peRed, entries[i].peGreen, entries[i].peBlue})) << i;
    }
}

}  // namespace
