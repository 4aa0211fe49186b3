#include "image/png_storage.h"

#include "image/png_failures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void PutLe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16), p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

void PngStorage::Build(uint32_t width, uint32_t height, int bitsPerPixel, bool withAlpha) {
    // Sizes in 64 bits and checked before any allocation, whatever the header claims.
    const uint64_t stride = (uint64_t{static_cast<uint32_t>(bitsPerPixel)} * width + 31) / 32 * 4;
    const uint64_t pixelBytes = stride * height;
    const uint64_t alphaBytes = withAlpha ? uint64_t{width} * height : 0;
    if (pixelBytes + alphaBytes > kMaxBytes) throw EPngOutMemory();

    UnfilledBytes pixels(static_cast<size_t>(pixelBytes));
    UnfilledBytes alpha;
    if (withAlpha) alpha = UnfilledBytes(static_cast<size_t>(alphaBytes));
    if (!pixels || (withAlpha && !alpha)) throw EPngOutMemory();
    const size_t used = bitsPerPixel < 8 ? 0 : size_t{width} * static_cast<uint32_t>(bitsPerPixel) / 8;
    if (used < stride) {
        for (uint32_t y = 0; y < height; ++y) std::memset(pixels.Get() + y * stride + used, 0, stride - used);
    }

    width_ = width, height_ = height, bitsPerPixel_ = bitsPerPixel;
    stride_ = static_cast<size_t>(stride);
    pixels_ = std::move(pixels);
    alpha_ = std::move(alpha);

    for (uint8_t& b : info_) b = 0;
    PutLe32(info_, kInfoHeaderSize);
    PutLe32(info_ + 4, width);
    PutLe32(info_ + 8, height);  // positive: rows lie bottom-up
    info_[12] = 1;               // planes
    info_[14] = static_cast<uint8_t>(bitsPerPixel);
    // compression 0 (none); the colour-count fields stay 0: 2^bits entries
}

uint32_t PngStorage::StoredValue(uint32_t x, uint32_t y) const {
    const uint8_t* row = Row(y);
    if (bitsPerPixel_ == 24) {
        const uint8_t* p = row + size_t{x} * 3;
        return p[0] | p[1] << 8 | p[2] << 16;
    }
    return PackedField(row, x, bitsPerPixel_);
}

PngColor PngStorage::ColorAt(uint32_t x, uint32_t y) const {
    const uint32_t v = StoredValue(x, y);
    if (bitsPerPixel_ == 24) {
        return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
    }
    return ColorTableEntry(static_cast<int>(v));
}

void PngStorage::SetGreyRamp(const std::array<uint8_t, 256>& gamma) {
    const int n = ColorCount();
    for (int k = 0; k < n; ++k) {
        const uint8_t level = gamma[k * 255 / (n - 1)];
        SetColorTableEntry(k, {level, level, level});
    }
}

PngGamma::PngGamma() {
    for (int i = 0; i < 256; ++i) table_[i] = static_cast<uint8_t>(i);
}

void PngGamma::Set(uint32_t g) {
    if (g == 0) return;
    const double exponent = 1.0 / (g / 100000.0 * 2.2);
    identity_ = true;
    for (int i = 0; i < 256; ++i) {
        const double t = i == 0 ? 0.0 : std::nearbyint(255.0 * std::pow(i / 255.0, exponent));
        table_[i] = static_cast<uint8_t>(std::clamp(t, 0.0, 255.0));
        identity_ = identity_ && table_[i] == i;
    }
}
