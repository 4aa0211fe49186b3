// Decoding the image data: one zlib stream carried across the IDAT chunks,
// inflated in batches of rows, each unfiltered against the row above and
// converted straight into the storage.
#pragma once

#include "image/png_storage.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

// The fields of the IHDR chunk the picture keeps.
struct TPngChunkIHDR {
    uint32_t width = 0, height = 0;
    uint8_t bitDepth = 0, colourType = 0, interlaceMethod = 0;

    // Bits a pixel is stored in: 1, 4, 8 or 24; 0 for colour types and bit
    // depths the decoder does not know.
    int StoredBitsPerPixel() const;
};

// The data of the first run of IDAT chunks, in file order: views of the
// stream's memory.
struct PngImageData {
    std::vector<std::span<const uint8_t>> pieces;
    // The run ended at a chunk of another type, not at the stream's end.
    bool endsInOtherChunk = false;
};

// Paeth's predictor with the format's tie order: left, above, upper left.
inline uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c) {
    const int pa = std::abs(b - c);          // |p - a| with p = a + b - c
    const int pb = std::abs(a - c);          // |p - b|
    const int pc = std::abs(a + b - 2 * c);  // |p - c|
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes one row's filter in place against `prev`, the unfiltered row above
// (zeros above a pass's first row); bpp: the bytes of a whole pixel, at least
// 1. An unknown filter type leaves the row as it is.
void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t length, int bpp);

// Decodes into `image`, built for `header`, RGB samples through `gamma`. Data
// that ends early leaves the pixels it never reached zero; data that goes on
// in a chunk of another type fails with EPngMissingMultipleIDAT.
void DecodeImageData(const TPngChunkIHDR& header, const std::array<uint8_t, 256>& gamma, const PngImageData& data,
                     PngStorage& image);
