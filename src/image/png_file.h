// The first stage of loading: a PNG file read into plain data, the chunks in
// file order and the bytes of its image data. Nothing here is decoded; the
// picture decodes it into its storage afterwards.
#pragma once

#include "image/png_chunks.h"
#include "image/png_stream.h"

#include <deque>
#include <exception>
#include <memory>
#include <span>
#include <vector>

// The data of the first run of IDAT chunks, in order: lent by the stream or
// copied into `copies` (a deque, so earlier pieces stay where they are).
struct PngImageData {
    std::vector<std::span<const uint8_t>> pieces;
    std::deque<std::vector<uint8_t>> copies;
    // The run ended at a chunk of another type, not at the stream's end.
    bool endsInOtherChunk = false;
};

struct PngFile {
    std::vector<std::unique_ptr<TPngChunk>> chunks;  // the first one is IHDR
    PngImageData imageData;                          // valid while the stream's memory is
    // The failure that stopped reading, to be raised once the chunks read
    // before it are decoded: a file fails with the first fault in file order.
    std::exception_ptr failure;
};

// Reads the signature and the chunks through IEND. cHRM chunks and the IDAT
// chunks after the first run are skipped unread; every other chunk is kept,
// critical or not. Chunk CRCs are read and never verified: damaged but
// readable files still load.
PngFile ReadPngFile(ByteStream& stream);
