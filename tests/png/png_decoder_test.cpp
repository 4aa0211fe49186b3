// The decoder: its row kernels, every failure kind from a small hand-made
// file, and the rules for damaged, odd and oversized input.
#include "image/png_image_data.h"
#include "png_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <span>
#include <vector>

namespace {

using namespace pngtest;

// An 8-bit grey image whose rows are all filter 0 and the given bytes.
Bytes GreyRows(uint32_t width, uint32_t height, uint8_t filter = 0) {
    Bytes raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(filter);
        for (uint32_t x = 0; x < width; ++x) raw.push_back(static_cast<uint8_t>(x * 16 + y));
    }
    return raw;
}

Bytes GoodFile() { return File(IhdrData(4, 3, 8, 0), GreyRows(4, 3)); }

uint8_t StoredGrey(const TPngPicture& picture, uint32_t x, uint32_t y) {
    return static_cast<uint8_t>(StoredValue(picture.Image(), x, y));
}

int PlainPaeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    if (pb <= pc) return b;
    return c;
}

TEST(PngRows, PaethMatchesThePlainDefinitionOnEveryInput) {
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            for (int c = 0; c < 256; ++c) {
                if (PaethPredictor(static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c)) !=
                    PlainPaeth(a, b, c)) {
                    FAIL() << a << " " << b << " " << c;
                }
            }
        }
    }
}

// The filters as the format defines them, byte by byte.
void PlainUnfilter(int filter, std::vector<uint8_t>& row, const std::vector<uint8_t>& prev, int bpp) {
    for (size_t i = 0; i < row.size(); ++i) {
        const int a = i >= static_cast<size_t>(bpp) ? row[i - bpp] : 0;
        const int b = prev[i];
        const int c = i >= static_cast<size_t>(bpp) ? prev[i - bpp] : 0;
        int add = 0;
        switch (filter) {
            case 1: add = a; break;
            case 2: add = b; break;
            case 3: add = (a + b) / 2; break;
            case 4: add = PlainPaeth(a, b, c); break;
        }
        row[i] = static_cast<uint8_t>(row[i] + add);
    }
}

TEST(PngRows, EveryFilterAndPixelWidthUndoesAsDefined) {
    constexpr size_t kSlack = 8;  // bytes after the row, which must stay as they are
    std::mt19937 random(7);
    for (int bpp : {1, 2, 3, 4, 6, 8}) {
        for (int filter = 0; filter <= 5; ++filter) {
            // Rows hold whole pixels.
            for (size_t length : {size_t{0}, static_cast<size_t>(bpp), static_cast<size_t>(bpp * 5), static_cast<size_t>(bpp * 37)}) {
                std::vector<uint8_t> row(length + kSlack), prev(length + kSlack);
                for (auto& v : row) v = static_cast<uint8_t>(random());
                for (auto& v : prev) v = static_cast<uint8_t>(random());
                std::vector<uint8_t> expected(row.begin(), row.begin() + length);
                PlainUnfilter(filter, expected, prev, bpp);  // 0 and 5 leave the row as it is
                const std::vector<uint8_t> slack(row.begin() + length, row.end());
                UnfilterRow(static_cast<uint8_t>(filter), row.data(), prev.data(), length, bpp);
                EXPECT_EQ(std::vector<uint8_t>(row.begin(), row.begin() + length), expected)
                    << "bpp " << bpp << " filter " << filter << " length " << length;
                EXPECT_EQ(std::vector<uint8_t>(row.begin() + length, row.end()), slack);
            }
        }
    }
}

TEST(PngFailures, EachKindFromASmallDamagedFile) {
    const Bytes good = GoodFile();
    ASSERT_EQ(LoadOutcome(good), std::nullopt);

    Bytes bad = good;
    bad[1] = 'Q';
    EXPECT_EQ(LoadOutcome(bad), PngFailureKind::InvalidFileHeader);
    EXPECT_EQ(LoadOutcome({137, 80, 78}), PngFailureKind::InvalidFileHeader);

    EXPECT_EQ(LoadOutcome(Signature()), PngFailureKind::UnexpectedEnd);
    EXPECT_EQ(LoadOutcome(Bytes(good.begin(), good.end() - 12)), PngFailureKind::UnexpectedEnd);  // no IEND

    EXPECT_EQ(LoadOutcome(Concat({Signature(), Chunk("gAMA", {0, 0, 0xB1, 0x8F}), Chunk("IHDR", IhdrData(1, 1, 8, 0))})),
              PngFailureKind::IHDRNotFirst);
    EXPECT_EQ(LoadOutcome(Concat({Signature(), Chunk("cHRM", Bytes(32)), Chunk("IHDR", IhdrData(1, 1, 8, 0))})),
              PngFailureKind::IHDRNotFirst);

    Bytes shortHeader = IhdrData(4, 3, 8, 0);
    shortHeader.pop_back();
    EXPECT_EQ(LoadOutcome(File(shortHeader, GreyRows(4, 3))), PngFailureKind::InvalidIHDR);
    EXPECT_EQ(LoadOutcome(File(IhdrData(4, 3, 4, 2), GreyRows(4, 3))), PngFailureKind::InvalidIHDR);   // RGB at 4 bits
    EXPECT_EQ(LoadOutcome(File(IhdrData(4, 3, 16, 3), GreyRows(4, 3))), PngFailureKind::InvalidIHDR);  // palette at 16
    EXPECT_EQ(LoadOutcome(File(IhdrData(4, 3, 8, 5), GreyRows(4, 3))), PngFailureKind::InvalidIHDR);

    EXPECT_EQ(LoadOutcome(File(IhdrData(65536, 1, 1, 0), {0})), PngFailureKind::SizeExceeds);
    EXPECT_EQ(LoadOutcome(File(IhdrData(1, 65536, 1, 0), {0})), PngFailureKind::SizeExceeds);

    Bytes method = IhdrData(4, 3, 8, 0);
    method[10] = 1;
    EXPECT_EQ(LoadOutcome(File(method, GreyRows(4, 3))), PngFailureKind::UnknownCompression);
    method = IhdrData(4, 3, 8, 0, 2);
    EXPECT_EQ(LoadOutcome(File(method, GreyRows(4, 3))), PngFailureKind::UnknownInterlace);
    method = IhdrData(4, 3, 8, 0);
    method[11] = 9;  // the filter method goes unexamined
    EXPECT_EQ(LoadOutcome(File(method, GreyRows(4, 3))), std::nullopt);

    const Bytes paletteRows = GreyRows(4, 3);
    EXPECT_EQ(LoadOutcome(File(IhdrData(4, 3, 8, 3), paletteRows, Chunk("PLTE", Bytes(7)))), PngFailureKind::InvalidPalette);
    EXPECT_EQ(LoadOutcome(File(IhdrData(4, 3, 8, 3), paletteRows, Chunk("PLTE", Bytes(3 * 257)))),
              PngFailureKind::InvalidPalette);
    EXPECT_EQ(LoadOutcome(File(IhdrData(4, 3, 8, 3), paletteRows,
                               Concat({Chunk("PLTE", Bytes(3 * 256)), Chunk("tRNS", Bytes(257))}))),
              PngFailureKind::InvalidPalette);
    EXPECT_EQ(LoadOutcome(File(IhdrData(4, 3, 8, 3), paletteRows)), PngFailureKind::InvalidPalette);  // no PLTE
    EXPECT_EQ(LoadOutcome(File(IhdrData(4, 3, 8, 3), paletteRows, Chunk("PLTE", Bytes(3 * 256)))), std::nullopt);

    const Bytes z = Zlib(GreyRows(4, 3));
    const Bytes split = Concat({Signature(), Chunk("IHDR", IhdrData(4, 3, 8, 0)), Chunk("IDAT", Bytes(z.begin(), z.begin() + 5)),
                                Chunk("tEXt", {'a', 0, 'b'}), Chunk("IDAT", Bytes(z.begin() + 5, z.end())), Chunk("IEND", {})});
    EXPECT_EQ(LoadOutcome(split), PngFailureKind::MissingMultipleIDAT);

    EXPECT_EQ(LoadOutcome(Concat({Signature(), Chunk("IHDR", IhdrData(4, 3, 8, 0)), Chunk("IEND", {})})),
              PngFailureKind::NoImageData);

    EXPECT_EQ(LoadOutcome(File(IhdrData(65535, 65535, 8, 6), {0})), PngFailureKind::OutMemory);
    EXPECT_EQ(LoadOutcome(File(IhdrData(65535, 65535, 1, 0), {0})), PngFailureKind::OutMemory);
}

// Reading runs ahead of decoding, yet a file with several faults fails with
// the first of them in file order.
TEST(PngFailures, TheFirstFaultInFileOrderWins) {
    Bytes badZlib = Zlib(GreyRows(4, 3));
    badZlib[2] ^= 0xFF;
    const Bytes header = Concat({Signature(), Chunk("IHDR", IhdrData(4, 3, 8, 0))});
    const struct {
        Bytes file;
        PngFailureKind kind;
    } cases[] = {
        {Concat({header, Chunk("IDAT", badZlib)}), PngFailureKind::ZLIBError},  // then no IEND
        {Concat({header, Chunk("IDAT", badZlib), Chunk("tRNS", Bytes(300)), Chunk("IEND", {})}), PngFailureKind::ZLIBError},
        {Concat({header, Chunk("tRNS", Bytes(300)), Chunk("IDAT", badZlib), Chunk("IEND", {})}), PngFailureKind::InvalidPalette},
        {Concat({Signature(), Chunk("IHDR", IhdrData(65535, 65535, 8, 6)), Chunk("IHDR", {1})}), PngFailureKind::OutMemory},
        {Concat({Signature(), Chunk("IHDR", IhdrData(4, 3, 8, 3)), Chunk("IDAT", Zlib(GreyRows(4, 3)))}),
         PngFailureKind::InvalidPalette},  // no PLTE, then no IEND
    };
    for (const auto& c : cases) EXPECT_EQ(LoadOutcome(c.file), c.kind) << PngFailureClassName(c.kind);
}

TEST(PngFailures, ZlibFailuresCarryZlibsResult) {
    Bytes z = Zlib(GreyRows(4, 3));
    z[2] ^= 0xFF;  // a block type that does not exist
    const Bytes file = Concat({Signature(), Chunk("IHDR", IhdrData(4, 3, 8, 0)), Chunk("IDAT", z), Chunk("IEND", {})});
    TPngPicture picture;
    try {
        Load(picture, file);
        FAIL() << "loaded";
    } catch (const EPngZLIBError& failure) {
        EXPECT_STREQ(failure.what(),
                     "Could not decompress the image because it contains invalid compressed data.\r\n"
                     " Description: data error (-3)");
    }
    EXPECT_TRUE(picture.Empty());  // a failed load leaves nothing behind

    // A stream asking for a preset dictionary fails instead of waiting for one.
    const Bytes dict = {0x78, 0xBB, 0, 0, 0, 1, 0x63, 0, 0};
    EXPECT_EQ(LoadOutcome(Concat({Signature(), Chunk("IHDR", IhdrData(4, 3, 8, 0)), Chunk("IDAT", dict), Chunk("IEND", {})})),
              PngFailureKind::ZLIBError);
}

TEST(PngFailures, MessagesAndClassNames) {
    EXPECT_STREQ(EPngIHDRNotFirst().what(),
                 "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
                 "(IHDR chunk is not the first)");
    EXPECT_STREQ(EPngSizeExceeds().ClassName(), "EPngSizeExceeds");
    EXPECT_STREQ(EPngError().what(), "There is no such palette entry.");
    const Failure& asFailure = EPngOutMemory();
    EXPECT_NE(dynamic_cast<const EPngOutMemory*>(&asFailure), nullptr);

    TPngPicture picture;
    EXPECT_THROW(picture.Image(), EPngHeaderNotPresent);
}

// Wrong CRCs are never checked, and chunks the picture does not act on,
// critical or not, change nothing: each file decodes as the plain one, twenty
// zTXt chunks that would each inflate to 64 MiB included.
TEST(PngLoading, DamagedButReadableFilesAndOtherChunksLoadAlike) {
    const Bytes ztxt = Chunk("zTXt", Concat({{'k', 0, 0}, Zlib(Bytes(64u << 20, 'a'), 9)}));
    Bytes manyZtxt;
    for (int i = 0; i < 20; ++i) manyZtxt = Concat({manyZtxt, ztxt});
    const Bytes before[] = {
        Chunk("cHRM", Bytes(32)),
        Concat({Chunk("iCCP", {'p', 0, 0, 1}), Chunk("ABCD", {9}), Chunk("pHYs", {0, 0, 11, 19, 0, 0, 11, 19, 1})}),
        Concat({Chunk("tEXt", {'k', 0, 'v'}), Chunk("tIME", {7, 178, 1, 1, 0, 0, 0}), Chunk("sRGB", {0})}),
        manyZtxt,
    };
    TPngPicture plain;
    Load(plain, GoodFile());
    const std::vector<uint8_t> expected = PictureToRgba(plain);
    const Bytes wrongCrc = Concat({Signature(), Chunk("IHDR", IhdrData(4, 3, 8, 0), false),
                                   Chunk("IDAT", Zlib(GreyRows(4, 3)), false), Chunk("IEND", {}, false)});
    TPngPicture picture;
    ASSERT_NO_THROW(Load(picture, wrongCrc));
    EXPECT_TRUE(PictureToRgba(picture) == expected);
    for (const Bytes& chunks : before) {
        ASSERT_NO_THROW(Load(picture, File(IhdrData(4, 3, 8, 0), GreyRows(4, 3), chunks)));
        EXPECT_TRUE(PictureToRgba(picture) == expected) << chunks.size();
    }
}

TEST(PngLoading, ImageDataAcrossChunksAndItsEnds) {
    const Bytes rows = GreyRows(5, 4, 1);
    const Bytes z = Zlib(rows);
    TPngPicture whole, pieces;
    Load(whole, File(IhdrData(5, 4, 8, 0), rows));
    // One byte per IDAT, then a second run of IDAT after another chunk, skipped unread.
    Bytes file = Concat({Signature(), Chunk("IHDR", IhdrData(5, 4, 8, 0))});
    for (uint8_t b : z) file = Concat({file, Chunk("IDAT", {b})});
    file = Concat({file, Chunk("tEXt", {'k', 0, 'v'}), Chunk("IDAT", {1, 2, 3}), Chunk("IEND", {})});
    Load(pieces, file);
    EXPECT_TRUE(PictureToRgba(whole) == PictureToRgba(pieces));
}

TEST(PngLoading, ACutFileFailsAsUnexpectedEndNotAsZlib) {
    const Bytes rows = GreyRows(64, 64);
    const Bytes file = File(IhdrData(64, 64, 8, 0), rows);
    // Cut inside the image data: the rows read so far stay, the chunk loop then finds no length.
    EXPECT_EQ(LoadOutcome(Bytes(file.begin(), file.begin() + 33 + 8 + 40)), PngFailureKind::UnexpectedEnd);
    for (size_t cut = 16; cut < file.size() - 12; cut += 7) {  // once the IHDR type is read
        const auto outcome = LoadOutcome(Bytes(file.begin(), file.begin() + cut));
        ASSERT_TRUE(outcome.has_value()) << cut;
        EXPECT_TRUE(*outcome == PngFailureKind::UnexpectedEnd || *outcome == PngFailureKind::InvalidIHDR) << cut << " " << PngFailureClassName(*outcome);
    }
}

TEST(PngLoading, ImageDataBeyondTheLastRowIsNotDecoded) {
    // Three rows' worth of data for a two-row image, then more chunks in the same file.
    const Bytes rows = GreyRows(4, 3);
    const Bytes file = Concat({Signature(), Chunk("IHDR", IhdrData(4, 2, 8, 0)), Chunk("IDAT", Zlib(rows)),
                               Chunk("tEXt", {'k', 0, 'v'}), Chunk("IEND", {})});
    TPngPicture picture;
    ASSERT_NO_THROW(Load(picture, file));  // IEND found after the unread rest of the IDAT
    EXPECT_EQ(StoredGrey(picture, 2, 1), 2 * 16 + 1);
}

// Whatever the image data never reaches, the
// pixels of missing rows and passes, their alpha and the row padding, must
// be zero. Every sample in the data is non-zero, so a zero marks exactly what
// was not reached.
TEST(PngLoading, WhatTheDataNeverReachesIsZero) {
    struct Pass {
        uint32_t x0, y0, dx, dy;
    };
    constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                               {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    constexpr Pass kWhole[] = {{0, 0, 1, 1}};
    constexpr uint32_t kSide = 9;  // RGB rows of 27 bytes and 1 of padding
    const struct {
        uint8_t colourType, depth, interlace;
        size_t rowsInData;  // over all passes
    } cases[] = {{2, 8, 0, 4}, {6, 8, 0, 0}, {0, 8, 0, 8}, {2, 8, 1, 5}, {6, 8, 1, 12}, {0, 8, 1, 17}, {0, 1, 1, 10}};
    for (const auto& c : cases) {
        const std::span<const Pass> passes = c.interlace ? std::span<const Pass>(kAdam7) : std::span<const Pass>(kWhole);
        const size_t bitsPerPixel = c.colourType == 6 ? 32 : c.colourType == 2 ? 24 : c.depth;
        Bytes raw;
        size_t rowsBefore = 0;
        std::vector<std::vector<bool>> reached(kSide, std::vector<bool>(kSide));
        for (const Pass& pass : passes) {
            const uint32_t width = (kSide - pass.x0 + pass.dx - 1) / pass.dx;
            for (uint32_t y = pass.y0; y < kSide; y += pass.dy, ++rowsBefore) {
                if (rowsBefore >= c.rowsInData) continue;
                raw.push_back(0);
                for (size_t i = 0; i < (width * bitsPerPixel + 7) / 8; ++i)
                    raw.push_back(c.depth == 8 ? static_cast<uint8_t>(1 + i % 250) : 0xFF);
                for (uint32_t x = pass.x0; x < kSide; x += pass.dx) reached[y][x] = true;
            }
        }
        TPngPicture picture;
        ASSERT_NO_THROW(Load(picture, File(IhdrData(kSide, kSide, c.depth, c.colourType, c.interlace), raw)));
        const PngStorage& image = picture.Image();
        for (uint32_t y = 0; y < kSide; ++y) {
            for (uint32_t x = 0; x < kSide; ++x) {
                ASSERT_EQ(StoredValue(image, x, y) != 0, reached[y][x]) << int(c.colourType) << " " << x << "," << y;
                if (image.HasAlpha()) {
                    ASSERT_EQ(image.AlphaRow(y)[x] != 0, reached[y][x]) << x << "," << y;
                }
            }
            if (c.colourType == 2) {
                EXPECT_EQ(image.Row(y)[kSide * 3], 0) << y;
            }
        }
    }
}

TEST(PngLoading, WidthLimitIsInclusive) {
    Bytes rows = {0};
    rows.resize(1 + 65535 / 8 + 1, 0xFF);
    TPngPicture picture;
    ASSERT_NO_THROW(Load(picture, File(IhdrData(65535, 1, 1, 0), rows)));
    EXPECT_EQ(picture.Width(), 65535u);
    EXPECT_EQ(StoredValue(picture.Image(), 65534, 0), 1u);
}

TEST(PngLoading, UnknownFilterTypeLeavesTheRow) {
    TPngPicture picture;
    Load(picture, File(IhdrData(4, 3, 8, 0), GreyRows(4, 3, 7)));
    EXPECT_EQ(StoredGrey(picture, 3, 2), 3 * 16 + 2);
}

TEST(PngStorageRules, GreyRampsAndTwoBitGrey) {
    TPngPicture picture;
    // 2-bit grey samples 0..3 become indexes 0, 5, 10, 15 of the 16-level ramp: 0, 85, 170, 255.
    Load(picture, File(IhdrData(4, 1, 2, 0), {0, 0x1B}));
    for (uint32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(StoredValue(picture.Image(), x, 0), 5 * x);
        EXPECT_EQ(ColorAt(picture.Image(), x, 0).red, 85 * x);
    }
    EXPECT_EQ(picture.Image().BitsPerPixel(), 4);
    // 16-bit grey keeps the high byte.
    Load(picture, File(IhdrData(2, 1, 16, 0), {0, 0x12, 0x34, 0xAB, 0xCD}));
    EXPECT_EQ(StoredValue(picture.Image(), 0, 0), 0x12u);
    EXPECT_EQ(StoredValue(picture.Image(), 1, 0), 0xABu);
}

TEST(PngStorageRules, RgbRowsOfEveryWidthAroundTheWideStepsConvert) {
    // The RGBA and RGB converters work 4 or 5 pixels a step; every width up to 16 ends a row differently.
    std::mt19937 random(3);
    for (uint8_t colourType : {uint8_t{2}, uint8_t{6}}) {
        const uint32_t channels = colourType == 6 ? 4 : 3;
        for (uint32_t width = 1; width <= 16; ++width) {
            Bytes rows;
            for (uint32_t y = 0; y < 3; ++y) {
                rows.push_back(0);
                for (uint32_t i = 0; i < width * channels; ++i) rows.push_back(static_cast<uint8_t>(random()));
            }
            TPngPicture picture;
            Load(picture, File(IhdrData(width, 3, 8, colourType), rows));
            const std::vector<uint8_t> rgba = PictureToRgba(picture);
            for (uint32_t y = 0; y < 3; ++y) {
                for (uint32_t x = 0; x < width; ++x) {
                    const uint8_t* s = &rows[y * (1 + width * channels) + 1 + x * channels];
                    const uint8_t* p = &rgba[(y * width + x) * 4];
                    ASSERT_EQ(Bytes(p, p + 3), Bytes(s, s + 3)) << width << " " << x << "," << y;
                    ASSERT_EQ(p[3], channels == 4 ? s[3] : 255);
                }
            }
        }
    }
}

TEST(PngStorageRules, GammaAppliesOnlyToWhatIsDecodedAfterIt) {
    const Bytes gama = Chunk("gAMA", {0, 0, 0x27, 0x10});  // 0.1: a strong curve
    const Bytes plte = Chunk("PLTE", {100, 100, 100});
    TPngPicture before, after, grey;
    Load(before, File(IhdrData(1, 1, 8, 3), {0, 0}, Concat({gama, plte})));
    Load(after, File(IhdrData(1, 1, 8, 3), {0, 0}, Concat({plte, gama})));
    Load(grey, File(IhdrData(1, 1, 8, 0), {0, 100}, gama));  // the grey ramp takes the same table
    EXPECT_EQ(after.Image().ColorTableEntry(0).red, 100);
    EXPECT_NE(before.Image().ColorTableEntry(0).red, 100);
    EXPECT_EQ(before.Image().ColorTableEntry(0).red, ColorAt(grey.Image(), 0, 0).red);

    // A gAMA chunk of the wrong length reads as 1: everything but 255 goes black.
    TPngPicture odd;
    Load(odd, File(IhdrData(1, 1, 8, 2), {0, 200, 255, 0}, Chunk("gAMA", {0, 1, 0})));
    EXPECT_EQ(ColorAt(odd.Image(), 0, 0), (PngColor{0, 255, 0}));
    // gAMA 0 keeps the identity.
    Load(odd, File(IhdrData(1, 1, 8, 2), {0, 200, 255, 0}, Chunk("gAMA", {0, 0, 0, 0})));
    EXPECT_EQ(ColorAt(odd.Image(), 0, 0), (PngColor{200, 255, 0}));
}

TEST(PngStorageRules, TransparencyModesAndColours) {
    TPngPicture picture;
    Load(picture, File(IhdrData(1, 1, 8, 0), {0, 0}));
    EXPECT_EQ(picture.TransparencyMode(), PngTransparencyMode::None);

    // 16-bit grey: the transparent colour is the ramp entry of the sample's stored high byte.
    Load(picture, File(IhdrData(1, 1, 16, 0), {0, 0x40, 0x01}, Chunk("tRNS", {0x40, 0x01})));
    EXPECT_EQ(picture.TransparencyMode(), PngTransparencyMode::Bit);
    EXPECT_EQ(picture.TransparentColor(), (PngColor{0x40, 0x40, 0x40}));
    EXPECT_EQ(PictureToRgba(picture)[3], 0);

    Load(picture, File(IhdrData(1, 1, 8, 2), {0, 1, 2, 3}, Chunk("tRNS", {0, 1, 0, 2, 0, 3})));
    EXPECT_EQ(picture.TransparencyMode(), PngTransparencyMode::Bit);
    EXPECT_EQ(picture.TransparentColor(), (PngColor{1, 2, 3}));

    const Bytes plte = Chunk("PLTE", {10, 10, 10, 20, 20, 20, 30, 30, 30});
    // One entry not opaque: bit mode, transparent colour the first entry of alpha 0.
    Load(picture, File(IhdrData(1, 1, 8, 3), {0, 0}, Concat({plte, Chunk("tRNS", {255, 0})})));
    EXPECT_EQ(picture.TransparencyMode(), PngTransparencyMode::Bit);
    EXPECT_EQ(picture.TransparentColor(), (PngColor{20, 20, 20}));
    // One entry of alpha 1 to 254: bit mode, and black for want of an alpha-0 entry.
    Load(picture, File(IhdrData(1, 1, 8, 3), {0, 0}, Concat({plte, Chunk("tRNS", {128})})));
    EXPECT_EQ(picture.TransparencyMode(), PngTransparencyMode::Bit);
    EXPECT_EQ(picture.TransparentColor(), (PngColor{0, 0, 0}));
    // More: partial, with the tRNS alpha of each index.
    Load(picture, File(IhdrData(1, 1, 8, 3), {0, 1}, Concat({plte, Chunk("tRNS", {0, 77})})));
    EXPECT_EQ(picture.TransparencyMode(), PngTransparencyMode::Partial);
    EXPECT_EQ(picture.PaletteAlpha(1), 77);
    EXPECT_EQ(picture.PaletteAlpha(2), 255);
    EXPECT_EQ(PictureToRgba(picture)[3], 77);

    Load(picture, File(IhdrData(1, 1, 8, 4), {0, 9, 99}));
    EXPECT_EQ(picture.TransparencyMode(), PngTransparencyMode::Partial);
}

TEST(PngStorageRules, PaletteEntriesBeyondPlteKeepTheHalftonePalette) {
    TPngPicture picture;
    Load(picture, File(IhdrData(2, 1, 8, 3), {0, 0, 200}, Chunk("PLTE", {1, 2, 3})));
    EXPECT_EQ(ColorAt(picture.Image(), 0, 0), (PngColor{1, 2, 3}));
    EXPECT_EQ(ColorAt(picture.Image(), 1, 0), kHalftonePalette[200]);
    // PLTE is ignored by 24-bit storage.
    Load(picture, File(IhdrData(1, 1, 8, 2), {0, 4, 5, 6}, Chunk("PLTE", {1, 2, 3})));
    EXPECT_EQ(ColorAt(picture.Image(), 0, 0), (PngColor{4, 5, 6}));
}

TEST(PngStorageRules, RepeatedHeadersAndHugeClaimsStayBounded) {
    // Later IHDR chunks are held but build no image of their own.
    Bytes extra;
    for (int i = 0; i < 50; ++i) extra = Concat({extra, Chunk("IHDR", IhdrData(8000, 8000, 8, 6))});
    TPngPicture picture;
    ASSERT_NO_THROW(Load(picture, File(IhdrData(1, 1, 8, 0), {0, 5}, extra)));
    EXPECT_EQ(picture.Width(), 1u);
    EXPECT_EQ(picture.Image().Width(), 1u);

    // One bit a pixel stores 16384 x 16384 in 32 MiB; as RGBA it would take 1 GiB.
    Load(picture, File(IhdrData(16384, 16384, 1, 0), Bytes(size_t{16384} * 2049, 0)));
    EXPECT_THROW(PictureToRgba(picture), EPngOutMemory);

    // A chunk that claims 4 GiB costs only the bytes that are there.
    Bytes huge = Concat({Signature(), Chunk("IHDR", IhdrData(1, 1, 8, 0)), {0xFF, 0xFF, 0xFF, 0xF0, 'a', 'b', 'c', 'd', 1, 2}});
    EXPECT_EQ(LoadOutcome(huge), PngFailureKind::UnexpectedEnd);
}

TEST(PngLoading, AFailedLoadLeavesThePictureEmpty) {
    TPngPicture picture;
    const Bytes good = GoodFile();
    Load(picture, good);
    // Header and image data decoded, then no IEND.
    EXPECT_THROW(Load(picture, Bytes(good.begin(), good.end() - 12)), EPngUnexpectedEnd);
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.Width(), 0u);
}

TEST(StoredPicture, LoaderFindsTheClassByExactNameLatestFirst) {
    const Bytes png = GoodFile();
    auto stored = [&](const std::string& name) {
        Bytes b(1 + name.size());
        b[0] = static_cast<uint8_t>(name.size());
        std::copy(name.begin(), name.end(), b.begin() + 1);
        return Concat({b, png});
    };
    PictureClassRegistry registry;
    RegisterPngPicture(registry);

    Bytes bytes = stored("TPngPicture");
    MemoryReadStream stream(bytes);
    auto picture = LoadStoredPicture(registry, stream);
    ASSERT_NE(dynamic_cast<TPngPicture*>(picture.get()), nullptr);
    EXPECT_EQ(static_cast<TPngPicture&>(*picture).Width(), 4u);

    for (const char* name : {"tpngpicture", "TBitmap", ""}) {
        bytes = stored(name);
        MemoryReadStream other(bytes);
        EXPECT_EQ(LoadStoredPicture(registry, other), nullptr) << name;
    }

    // The latest registration wins.
    int created = 0;
    registry.Register({"TPngPicture", [&] {
                           ++created;
                           return std::make_unique<TPngPicture>();
                       }});
    bytes = stored("TPngPicture");
    MemoryReadStream again(bytes);
    EXPECT_NE(LoadStoredPicture(registry, again), nullptr);
    EXPECT_EQ(created, 1);

    // A picture that fails to load passes the failure on.
    bytes = stored("TPngPicture");
    bytes[12] = 'X';
    MemoryReadStream broken(bytes);
    EXPECT_THROW(LoadStoredPicture(registry, broken), EPngInvalidFileHeader);
}

}  // namespace
