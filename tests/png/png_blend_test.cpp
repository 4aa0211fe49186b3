// Drawing into 32-bit buffers: the source indexes of the scaled blend, the
// blend itself for each kind of storage, the other modes' stretch, and the
// About logo's path from its stored picture to 65 x 65.
#include "image/png_blend.h"
#include "png_test_files.h"

#include <gtest/gtest.h>

namespace {

using namespace pngtest;

std::string Asset(const char* name) { return std::string(QUORVANE_ASSETS_DIR) + "/" + name; }

std::vector<uint8_t> Solid(uint32_t width, uint32_t height, uint8_t b, uint8_t g, uint8_t r) {
    std::vector<uint8_t> pixels(size_t{width} * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) pixels[i] = b, pixels[i + 1] = g, pixels[i + 2] = r;
    return pixels;
}

TEST(BlendKernel, SourceIndexesOfTheLogoPath) {
    const std::vector<uint32_t> indexes = BlendSourceIndexes(65, 400);
    for (uint32_t k = 0; k < 65; ++k) {
        uint32_t expected = k * 400 / 65;
        if (k == 13 || k == 26 || k == 39 || k == 52) expected = k * 400 / 65 - 1;  // 79, 159, 239, 319
        EXPECT_EQ(indexes[k], expected) << k;
    }
    EXPECT_EQ(indexes[13], 79u);
    EXPECT_EQ(indexes[52], 319u);
    // Without scaling every index is its own; enlarging repeats sources, never past the last.
    for (uint32_t k = 0; k < 400; ++k) EXPECT_EQ(BlendSourceIndexes(400, 400)[k], k);
    const std::vector<uint32_t> up = BlendSourceIndexes(7, 3);
    EXPECT_EQ(up, (std::vector<uint32_t>{0, 0, 0, 1, 1, 2, 2}));
}

TEST(BlendKernel, ChannelFormula) {
    EXPECT_EQ(BlendChannel(200, 17, 0), 17);    // a = 0 keeps the background
    EXPECT_EQ(BlendChannel(200, 17, 255), 200);  // a = 255 shows the source
    EXPECT_EQ(BlendChannel(0, 255, 128), 127);
    EXPECT_EQ(BlendChannel(255, 0, 128), 128);
    EXPECT_EQ(BlendChannel(100, 100, 77), 100);
}

TEST(BlendKernel, RgbaStorageSkipsClearCopiesOpaqueAndBlendsTheRest) {
    // Three pixels: alpha 0, 255 and 128.
    TPngPicture picture;
    Load(picture, File(IhdrData(3, 1, 8, 6), {0, 10, 20, 30, 0, 40, 50, 60, 255, 0, 0, 0, 128}));
    auto pixels = Solid(3, 1, 255, 255, 255);
    BlendPicture(picture, pixels.data(), 3, 1);
    const std::vector<uint8_t> expected = {255, 255, 255, 0, 60, 50, 40, 0, 127, 127, 127, 0};
    EXPECT_EQ(pixels, expected);
}

TEST(BlendKernel, GreyAlphaUsesTheStoredByteNotTheRamp) {
    TPngPicture picture;
    // With gamma 0.5 the ramp differs from the stored grey; the blend takes the stored grey.
    Load(picture, File(IhdrData(1, 1, 8, 4), {0, 100, 255}, Chunk("gAMA", {0, 0, 0xC3, 0x50})));
    ASSERT_NE(ColorAt(picture.Image(), 0, 0).red, 100);
    auto pixels = Solid(1, 1, 0, 0, 0);
    BlendPicture(picture, pixels.data(), 1, 1);
    EXPECT_EQ(pixels[0], BlendChannel(100, 0, 255));
    EXPECT_EQ(pixels[2], BlendChannel(100, 0, 255));
}

TEST(BlendKernel, PaletteUsesEachIndexsOwnAlpha) {
    TPngPicture picture;
    // 4-bit palette, two pixels of indexes 1 and 2.
    Load(picture, File(IhdrData(2, 1, 4, 3), {0, 0x12},
                       Concat({Chunk("PLTE", {0, 0, 0, 200, 100, 50, 9, 9, 9}), Chunk("tRNS", {0, 64, 255})})));
    ASSERT_EQ(picture.TransparencyMode(), PngTransparencyMode::Partial);
    auto pixels = Solid(2, 1, 10, 20, 30);
    BlendPicture(picture, pixels.data(), 2, 1);
    EXPECT_EQ(pixels[0], BlendChannel(50, 10, 64));
    EXPECT_EQ(pixels[1], BlendChannel(100, 20, 64));
    EXPECT_EQ(pixels[2], BlendChannel(200, 30, 64));
    EXPECT_EQ(pixels[4], BlendChannel(9, 10, 255));
}

TEST(BlendKernel, NothingForZeroSizesOrAnEmptyPicture) {
    TPngPicture picture;
    auto pixels = Solid(2, 2, 1, 2, 3);
    const auto before = pixels;
    BlendPicture(picture, pixels.data(), 2, 2);
    EXPECT_EQ(pixels, before);
    Load(picture, File(IhdrData(0, 0, 8, 6), {}));  // a picture without pixels
    DrawPictureToBuffer(picture, pixels.data(), 2, 2);
    EXPECT_EQ(pixels, before);
}

TEST(StretchDrawing, BitModeShowsTheBackgroundThroughTheTransparentColour) {
    TPngPicture picture;
    Load(picture, File(IhdrData(2, 1, 8, 2), {0, 1, 2, 3, 9, 9, 9}, Chunk("tRNS", {0, 1, 0, 2, 0, 3})));
    auto pixels = Solid(4, 2, 100, 100, 100);
    DrawPictureToBuffer(picture, pixels.data(), 4, 2);
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            const uint8_t* p = &pixels[(y * 4 + x) * 4];
            EXPECT_EQ(p[0], x < 2 ? 100 : 9) << x << "," << y;
        }
    }
    // None mode drops surplus columns: 4 wide into 2 takes columns 0 and 2.
    Load(picture, File(IhdrData(4, 1, 8, 0), {0, 10, 20, 30, 40}));
    pixels = Solid(2, 1, 0, 0, 0);
    DrawPictureToBuffer(picture, pixels.data(), 2, 1);
    EXPECT_EQ(pixels[0], 10);
    EXPECT_EQ(pixels[4], 30);
}

TEST(Logo, TheStoredPictureDecodesAsTheLogoPath) {
    const Bytes stored = ReadFileBytes(Asset("logo_picture.bin"));
    PictureClassRegistry registry;
    RegisterPngPicture(registry);
    MemoryReadStream stream(stored);
    std::unique_ptr<TGraphic> graphic = LoadStoredPicture(registry, stream);
    auto* logo = dynamic_cast<TPngPicture*>(graphic.get());
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->Width(), 400u);
    EXPECT_EQ(logo->Height(), 400u);
    EXPECT_EQ(logo->TransparencyMode(), PngTransparencyMode::Partial);
    EXPECT_EQ(logo->Image().BitsPerPixel(), 24);
    EXPECT_TRUE(logo->Image().HasAlpha());

    // The stored picture and the plain PNG are the same image: 8-bit RGBA, not
    // interlaced, with pHYs and iCCP before the image data.
    const Bytes png = ReadFileBytes(Asset("logo.png"));
    EXPECT_EQ(Bytes(png.begin() + 24, png.begin() + 29), (Bytes{8, 6, 0, 0, 0}));
    EXPECT_EQ(std::string(png.begin() + 37, png.begin() + 41), "pHYs");
    EXPECT_EQ(std::string(png.begin() + 58, png.begin() + 62), "iCCP");
    TPngPicture plain;
    Load(plain, png);
    EXPECT_TRUE(PictureToRgba(plain) == PictureToRgba(*logo));

    // Drawn into 65 x 65: every pixel is the blend of its source pixel at (trunc(c / f), trunc(r / f)).
    auto pixels = Solid(65, 65, 0xC8, 0xD0, 0xD4);
    BlendPicture(*logo, pixels.data(), 65, 65);
    const std::vector<uint32_t> source = BlendSourceIndexes(65, 400);
    const std::vector<uint8_t> rgba = PictureToRgba(*logo);
    int blended = 0;
    for (uint32_t r = 0; r < 65; ++r) {
        for (uint32_t c = 0; c < 65; ++c) {
            const uint8_t* s = &rgba[(size_t{source[r]} * 400 + source[c]) * 4];
            const uint8_t* p = &pixels[(r * 65 + c) * 4];
            const uint8_t background[3] = {0xC8, 0xD0, 0xD4};
            for (int ch = 0; ch < 3; ++ch) {
                const uint8_t src = s[2 - ch];
                const uint8_t want = s[3] == 0 ? background[ch] : s[3] == 255 ? src : BlendChannel(src, background[ch], s[3]);
                ASSERT_EQ(p[ch], want) << c << "," << r;
            }
            blended += s[3] != 0 && s[3] != 255;
        }
    }
    EXPECT_GT(blended, 50);  // the soft edges really blend
}

}  // namespace
