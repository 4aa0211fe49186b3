#include "image/png_storage.h"

#include "image/png_failures.h"

#include <algorithm>
#include <cmath>

namespace {

void PutLe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16), p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

// Zeroed by calloc: memory fresh from the system comes zeroed and is not
// written twice, as a fill after allocating would.
void PngStorage::Build(uint32_t width, uint32_t height, int bitsPerPixel, bool withAlpha) {
    // Sizes in 64 bits and checked before any allocation, whatever the header claims.
    const uint64_t stride = (uint64_t{static_cast<uint32_t>(bitsPerPixel)} * width + 31) / 32 * 4;
    const uint64_t pixelBytes = stride * height;
    const uint64_t alphaBytes = withAlpha ? uint64_t{width} * height : 0;
    if (pixelBytes + alphaBytes > kMaxBytes) throw EPngOutMemory();
    Bytes pixels(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(pixelBytes) + 1, 1)));
    Bytes alpha(withAlpha ? static_cast<uint8_t*>(std::calloc(static_cast<size_t>(alphaBytes) + 1, 1)) : nullptr);
    if (!pixels || (withAlpha && !alpha)) throw EPngOutMemory();

    width_ = width, height_ = height, bitsPerPixel_ = bitsPerPixel;
    stride_ = static_cast<size_t>(stride);
    pixels_ = std::move(pixels);
    alpha_ = std::move(alpha);

    std::fill(std::begin(info_), std::end(info_), uint8_t{0});
    PutLe32(info_, kInfoHeaderSize);
    PutLe32(info_ + 4, width);
    PutLe32(info_ + 8, height);  // positive: rows lie bottom-up
    info_[12] = 1;               // planes
    info_[14] = static_cast<uint8_t>(bitsPerPixel);
    // compression 0 (none); the colour-count fields stay 0: 2^bits entries
}

void PngStorage::SetGreyRamp(const std::array<uint8_t, 256>& gamma) {
    const int n = ColorCount();
    for (int k = 0; k < n; ++k) {
        const uint8_t level = gamma[k * 255 / (n - 1)];
        SetColorTableEntry(k, {level, level, level});
    }
}

std::array<uint8_t, 256> IdentityGamma() {
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
    return table;
}

void SetGamma(std::array<uint8_t, 256>& table, uint32_t g) {
    if (g == 0) return;
    const double exponent = 1.0 / (g / 100000.0 * 2.2);
    for (int i = 0; i < 256; ++i) {
        const double t = i == 0 ? 0.0 : std::nearbyint(255.0 * std::pow(i / 255.0, exponent));
        table[i] = static_cast<uint8_t>(std::clamp(t, 0.0, 255.0));
    }
}
