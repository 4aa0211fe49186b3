// The platform's 256-colour halftone palette, as its palette functions
// report it: the initial colour table of a palette image before its PLTE
// chunk. Twenty fixed colours around a cube of 8 reds, 8 greens and 4 blues
// (entries 10 to 245: red steps by 32 each entry, green by 32 each 8, blue by
// 64 each 64). A window test compares it with the running platform.
#include "image/png_storage.h"

const std::array<PngColor, 256> kHalftonePalette = [] {
    constexpr PngColor kFixed[20] = {
        {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0}, {0, 0, 128},   {128, 0, 128},   {0, 128, 128},
        {192, 192, 192}, {192, 220, 192}, {166, 202, 240}, {255, 251, 240}, {160, 160, 164}, {128, 128, 128},
        {255, 0, 0},     {0, 255, 0},     {255, 255, 0},   {0, 0, 255},   {255, 0, 255}, {0, 255, 255},   {255, 255, 255},
    };
    std::array<PngColor, 256> palette{};
    for (int i = 0; i < 256; ++i) {
        const auto level = [&](int step, int per) { return static_cast<uint8_t>((i / per) % (256 / step) * step); };
        palette[i] = i < 10 ? kFixed[i] : i >= 246 ? kFixed[i - 236] : PngColor{level(32, 1), level(32, 8), level(64, 64)};
    }
    return palette;
}();
