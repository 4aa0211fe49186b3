// Decoding the image data: one zlib stream carried across the IDAT chunks,
// inflated in large pieces, unfiltered row by row (each row after a
// filter-type byte) and converted straight into the storage.
#pragma once

#include "image/png_chunks.h"
#include "image/png_file.h"
#include "image/png_storage.h"

// Decodes into `image`, built for `header`. Image data that ends early leaves
// the pixels it never reached at zero samples; image data that goes on in a
// chunk of another type fails with EPngMissingMultipleIDAT.
void DecodeImageData(const TPngChunkIHDR& header, const PngGamma& gamma, const PngImageData& data, PngStorage& image);
