// Row kernels of the image-data decoder: undoing filters 0-4 and converting a
// row of samples into the picture's storage. Both are chosen once per image
// (per pass when interlaced), so the inner loops never branch on the colour type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

class TPngChunkIHDR;

// Paeth's predictor with the format's tie order: left, above, upper left.
inline uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c) {
    const int pa = std::abs(b - c);          // |p - a| with p = a + b - c
    const int pb = std::abs(a - c);          // |p - b|
    const int pc = std::abs(a + b - 2 * c);  // |p - c|
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// UnfilterRow may read, never write, this many bytes past the end of `row`
// and of `prev`: whole-register loads of 3- and 6-byte pixels.
inline constexpr size_t kUnfilterSlack = 8;

// Undoes one row's filter in place. `prev` is the unfiltered row above, all
// zeros for a pass's first row; bpp is the bytes of one complete pixel (at
// least 1). An unknown filter type leaves the row as it is.
void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t length, int bpp);

// One unfiltered row of `count` pixels, placed at columns x0, x0 + dx, ... of
// one storage row and of the matching alpha-plane row.
struct RowJob {
    const uint8_t* src;  // readable kUnfilterSlack bytes past the row, like UnfilterRow's rows
    uint32_t count;
    uint8_t* dst;
    uint8_t* alpha;  // null without an alpha plane
    uint32_t x0, dx;
    const uint8_t* gamma;
};
using RowConverter = void (*)(const RowJob& job);

// The converter for the header's colour type and bit depth; null for pairs
// without storage. `dense` when pixels are consecutive (x0 = 0, dx = 1).
RowConverter ChooseRowConverter(const TPngChunkIHDR& header, bool gammaIsIdentity, bool dense);
