// Every image of the PngSuite against libpng as the oracle of raw samples,
// with the decoder's storage rules (16-bit high bytes, grey ramps, gamma,
// palettes, tRNS) applied on top here; and the failure kind of every x*.png.
#include "image/png_blend.h"
#include "png_test_files.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <filesystem>
#include <map>

namespace {

using namespace pngtest;

std::string SuiteDir() { return QUORVANE_PNGSUITE_DIR; }

struct Raw {
    uint32_t width = 0, height = 0;
    int depth = 0, colourType = 0;
    std::vector<std::vector<uint16_t>> samples;  // per row: channels x width samples
    std::vector<PngColor> palette;
    std::vector<uint8_t> trnsAlpha;               // palette images
    std::optional<std::array<uint16_t, 3>> trnsColor;  // grey: [0]; RGB: all three
    std::optional<uint32_t> gamma;
};

// libpng's own reading of the raw samples: sub-byte samples unpacked, no
// scaling, no gamma, palettes kept as indexes.
Raw ReadWithLibpng(const std::string& path) {
    Raw raw;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) throw std::runtime_error("cannot open " + path);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        throw std::runtime_error("libpng failed on " + path);
    }
    png_init_io(png, file);
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);  // as the decoder: CRCs ignored
    png_read_info(png, info);
    raw.width = png_get_image_width(png, info);
    raw.height = png_get_image_height(png, info);
    raw.depth = png_get_bit_depth(png, info);
    raw.colourType = png_get_color_type(png, info);
    if (raw.depth < 8) png_set_packing(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    png_colorp plte = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &plte, &count)) {
        for (int i = 0; i < count; ++i) raw.palette.push_back({plte[i].red, plte[i].green, plte[i].blue});
    }
    png_bytep trans = nullptr;
    int transCount = 0;
    png_color_16p transColor = nullptr;
    if (png_get_tRNS(png, info, &trans, &transCount, &transColor)) {
        if (raw.colourType == 3) raw.trnsAlpha.assign(trans, trans + transCount);
        else raw.trnsColor = std::array<uint16_t, 3>{transColor->red, transColor->green, transColor->blue};
        if (raw.colourType == 0) (*raw.trnsColor)[0] = transColor->gray;
    }
    png_fixed_point gamma = 0;
    if (png_get_gAMA_fixed(png, info, &gamma)) raw.gamma = static_cast<uint32_t>(gamma);

    const size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<std::vector<uint8_t>> rows(raw.height, std::vector<uint8_t>(rowBytes));
    std::vector<png_bytep> pointers;
    for (auto& r : rows) pointers.push_back(r.data());
    png_read_image(png, pointers.data());
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);

    static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const int n = kChannels[raw.colourType];
    for (const auto& r : rows) {
        std::vector<uint16_t> s(size_t{raw.width} * n);
        for (size_t i = 0; i < s.size(); ++i) s[i] = raw.depth == 16 ? (r[2 * i] << 8 | r[2 * i + 1]) : r[i];
        raw.samples.push_back(std::move(s));
    }
    return raw;
}

std::array<uint8_t, 256> GammaTable(std::optional<uint32_t> gamma) {
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
    if (!gamma || *gamma == 0) return table;
    for (int i = 1; i < 256; ++i) {
        const double v = 255.0 * std::pow(i / 255.0, 100000.0 / (*gamma * 2.2));
        table[i] = static_cast<uint8_t>(std::lrint(v));  // default rounding: halves to even
    }
    return table;
}

// What the decoder should store, as red, green, blue, alpha per pixel.
std::vector<uint8_t> Expected(const Raw& raw) {
    const auto g = GammaTable(raw.gamma);
    const bool wide = raw.depth == 16;
    auto stored = [&](uint16_t sample) -> uint8_t { return static_cast<uint8_t>(wide ? sample >> 8 : sample); };
    // Grey level of a sample: the ramp of its stored depth (2 bits become 4-bit indexes 5 x s).
    auto grey = [&](uint16_t sample) -> uint8_t {
        switch (raw.depth) {
            case 1: return g[sample * 255];
            case 2: return g[sample * 5 * 17];
            case 4: return g[sample * 17];
            default: return g[stored(sample)];
        }
    };
    auto paletteColor = [&](uint16_t index) -> PngColor {
        if (index < raw.palette.size()) {
            const PngColor& c = raw.palette[index];
            return {g[c.red], g[c.green], g[c.blue]};
        }
        return kHalftonePalette[index];
    };

    enum { None, Bit, Partial } mode = None;
    PngColor transparent{};
    if (raw.colourType == 4 || raw.colourType == 6) mode = Partial;
    if (raw.trnsColor) {
        mode = Bit;
        const auto& t = *raw.trnsColor;
        transparent = raw.colourType == 0 ? PngColor{grey(t[0]), grey(t[0]), grey(t[0])}
                                          : PngColor{g[stored(t[0])], g[stored(t[1])], g[stored(t[2])]};
    }
    if (raw.colourType == 3 && !raw.trnsAlpha.empty()) {
        const auto notOpaque = std::count_if(raw.trnsAlpha.begin(), raw.trnsAlpha.end(), [](uint8_t a) { return a != 255; });
        mode = notOpaque == 1 ? Bit : Partial;
        for (size_t i = 0; i < raw.trnsAlpha.size(); ++i) {
            if (raw.trnsAlpha[i] == 0) {
                transparent = paletteColor(static_cast<uint16_t>(i));
                break;
            }
        }
    }

    std::vector<uint8_t> out;
    for (const auto& row : raw.samples) {
        for (uint32_t x = 0; x < raw.width; ++x) {
            PngColor c;
            uint8_t a = 255;
            switch (raw.colourType) {
                case 0: c = {grey(row[x]), grey(row[x]), grey(row[x])}; break;
                case 2: c = {g[stored(row[3 * x])], g[stored(row[3 * x + 1])], g[stored(row[3 * x + 2])]}; break;
                case 3:
                    c = paletteColor(row[x]);
                    if (mode == Partial) a = row[x] < raw.trnsAlpha.size() ? raw.trnsAlpha[row[x]] : 255;
                    break;
                case 4:
                    c = {g[stored(row[2 * x])], g[stored(row[2 * x])], g[stored(row[2 * x])]};
                    a = stored(row[2 * x + 1]);
                    break;
                case 6:
                    c = {g[stored(row[4 * x])], g[stored(row[4 * x + 1])], g[stored(row[4 * x + 2])]};
                    a = stored(row[4 * x + 3]);
                    break;
            }
            if (mode == Bit && c == transparent) a = 0;
            out.insert(out.end(), {c.red, c.green, c.blue, a});
        }
    }
    return out;
}

std::vector<std::string> SuiteImages(bool wantFailing) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(SuiteDir())) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png") continue;
        if ((name[0] == 'x') == wantFailing) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Images the decoder's rules accept although the format calls them damaged.
const std::map<std::string, std::optional<PngFailureKind>> kFailingExpected = {
    {"xc1n0g08.png", PngFailureKind::InvalidIHDR},        // colour type 1
    {"xc9n2c08.png", PngFailureKind::InvalidIHDR},        // colour type 9
    {"xcrn0g04.png", PngFailureKind::InvalidFileHeader},  // signature with an added CR
    {"xcsn0g01.png", std::nullopt},                       // IDAT CRC wrong: CRCs are not checked
    {"xd0n2c08.png", PngFailureKind::InvalidIHDR},        // bit depth 0
    {"xd3n2c08.png", PngFailureKind::InvalidIHDR},        // bit depth 3
    {"xd9n2c08.png", PngFailureKind::InvalidIHDR},        // bit depth 99
    {"xdtn0g01.png", PngFailureKind::NoImageData},        // no IDAT
    {"xhdn0g08.png", std::nullopt},                       // IHDR CRC wrong
    {"xlfn0g04.png", PngFailureKind::InvalidFileHeader},  // signature with an added LF
    {"xs1n0g01.png", PngFailureKind::InvalidFileHeader},
    {"xs2n0g01.png", PngFailureKind::InvalidFileHeader},
    {"xs4n0g01.png", PngFailureKind::InvalidFileHeader},
    {"xs7n0g01.png", PngFailureKind::InvalidFileHeader},
};

TEST(PngSuite, EveryValidImageDecodesToTheOraclesPixels) {
    const auto names = SuiteImages(false);
    ASSERT_GE(names.size(), 150u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TPngPicture picture;
        ASSERT_NO_THROW(Load(picture, ReadFileBytes(SuiteDir() + "/" + name)));
        const Raw raw = ReadWithLibpng(SuiteDir() + "/" + name);
        ASSERT_EQ(picture.Width(), raw.width);
        ASSERT_EQ(picture.Height(), raw.height);
        EXPECT_TRUE(PictureToRgba(picture) == Expected(raw));
    }
}

TEST(PngSuite, DamagedImagesGiveTheirFailureKindOrLoad) {
    const auto names = SuiteImages(true);
    ASSERT_EQ(names.size(), kFailingExpected.size());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(kFailingExpected.count(name));
        EXPECT_EQ(LoadOutcome(ReadFileBytes(SuiteDir() + "/" + name)), kFailingExpected.at(name));
    }
    // Those that load show the same pixels libpng reads when told to ignore CRCs.
    for (const char* name : {"xcsn0g01.png", "xhdn0g08.png"}) {
        SCOPED_TRACE(name);
        TPngPicture picture;
        Load(picture, ReadFileBytes(SuiteDir() + "/" + name));
        EXPECT_TRUE(PictureToRgba(picture) == Expected(ReadWithLibpng(SuiteDir() + "/" + name)));
    }
}

TEST(PngSuite, InterlacedImagesEqualTheirPlainTwins) {
    int pairs = 0;
    for (const std::string& name : SuiteImages(false)) {
        if (name.size() < 4 || name[3] != 'i') continue;
        std::string twin = name;
        twin[3] = 'n';
        if (!std::filesystem::exists(SuiteDir() + "/" + twin)) continue;
        SCOPED_TRACE(name);
        const Bytes bytes = ReadFileBytes(SuiteDir() + "/" + name);
        ASSERT_EQ(bytes.at(28), 1);  // the header's interlace method
        TPngPicture interlaced, plain;
        Load(interlaced, bytes);
        Load(plain, ReadFileBytes(SuiteDir() + "/" + twin));
        EXPECT_TRUE(PictureToRgba(interlaced) == PictureToRgba(plain));
        ++pairs;
    }
    EXPECT_GE(pairs, 20);
}

}  // namespace
