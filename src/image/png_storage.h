// The decoded picture in device-independent-bitmap layout: a 40-byte info
// header, a colour table of (blue, green, red, 0) entries, pixel rows bottom-up
// padded to 4 bytes and, with alpha, an alpha plane of width x height bytes,
// top row first. It starts zeroed: the value of zero samples.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

struct PngColor {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const PngColor&) const = default;
};

class PngStorage {
public:
    // The most a picture may occupy (rows and alpha plane): larger pictures
    // fail with EPngOutMemory before anything is allocated.
    static constexpr uint64_t kMaxBytes = uint64_t{256} << 20;
    static constexpr size_t kInfoHeaderSize = 40;

    // Allocates the image, zeroed; bitsPerPixel is 1, 4, 8 or 24. Throws
    // EPngOutMemory when it would exceed kMaxBytes or cannot be had.
    void Build(uint32_t width, uint32_t height, int bitsPerPixel, bool withAlpha);

    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    size_t Stride() const { return stride_; }
    bool HasAlpha() const { return alpha_ != nullptr; }

    // Image row y, counted from the top; stored bottom-up.
    uint8_t* Row(uint32_t y) { return pixels_.get() + (size_t{height_} - 1 - y) * stride_; }
    const uint8_t* Row(uint32_t y) const { return pixels_.get() + (size_t{height_} - 1 - y) * stride_; }
    const uint8_t* Bits() const { return pixels_.get(); }
    uint8_t* AlphaRow(uint32_t y) { return alpha_.get() + size_t{y} * width_; }
    const uint8_t* AlphaRow(uint32_t y) const { return alpha_.get() + size_t{y} * width_; }

    // Info header and colour table, as the platform's bitmap functions take them.
    const uint8_t* BitmapInfo() const { return info_; }
    // 2^bits for indexed storage, 0 for 24 bits.
    int ColorCount() const { return bitsPerPixel_ <= 8 ? 1 << bitsPerPixel_ : 0; }
    PngColor ColorTableEntry(int index) const {
        const uint8_t* e = info_ + kInfoHeaderSize + 4 * index;
        return {e[2], e[1], e[0]};
    }
    void SetColorTableEntry(int index, PngColor colour) {
        uint8_t* e = info_ + kInfoHeaderSize + 4 * index;
        e[0] = colour.blue, e[1] = colour.green, e[2] = colour.red, e[3] = 0;
    }
    // Fills the colour table with a grey ramp through the gamma table: entry
    // k of n is gamma[k x 255 / (n - 1)].
    void SetGreyRamp(const std::array<uint8_t, 256>& gamma);

private:
    struct Free {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    using Bytes = std::unique_ptr<uint8_t[], Free>;

    uint32_t width_ = 0, height_ = 0;
    int bitsPerPixel_ = 0;
    size_t stride_ = 0;
    uint8_t info_[kInfoHeaderSize + 256 * 4] = {};
    Bytes pixels_;
    Bytes alpha_;
};

// gamma[i] = round(255 x (i / 255)^(1 / (g / 100000 x 2.2))), halves to even,
// gamma[0] = 0; g = 0 leaves the table as it is.
void SetGamma(std::array<uint8_t, 256>& table, uint32_t g);
// The table before any gAMA chunk.
std::array<uint8_t, 256> IdentityGamma();

// The platform's halftone palette: the initial colour table of a palette
// image until its PLTE chunk replaces it.
extern const std::array<PngColor, 256> kHalftonePalette;

// Reads the bits-wide field of pixel x of a packed row, most significant first.
inline uint32_t PackedField(const uint8_t* row, uint32_t x, int bits) {
    if (bits == 8) return row[x];
    const uint32_t bit = x * static_cast<uint32_t>(bits);
    const int shift = 8 - bits - static_cast<int>(bit & 7);
    return (row[bit >> 3] >> shift) & ((1u << bits) - 1);
}
