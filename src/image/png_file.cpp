#include "image/png_file.h"

#include "image/png_failures.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

struct ChunkStart {
    uint32_t length;
    PngChunkType type;
};

bool IsType(const PngChunkType& type, const char (&name)[5]) { return std::equal(type.begin(), type.end(), name); }

// Reads up to `length` bytes in pieces, so a chunk that claims more than the
// stream holds costs only what is really there.
std::vector<uint8_t> ReadChunkData(ByteStream& stream, uint32_t length) {
    constexpr uint32_t kPiece = 65536;
    std::vector<uint8_t> data;
    uint32_t done = 0;
    while (done < length) {
        const uint32_t want = std::min(kPiece, length - done);
        data.resize(size_t{done} + want);
        const size_t got = ReadFully(stream, data.data() + done, want);
        done += static_cast<uint32_t>(got);
        if (got < want) {
            data.resize(done);
            break;
        }
    }
    return data;
}

// One IDAT chunk's data: lent where the stream can (no copy on the way to
// zlib), the rest copied.
void ReadImageDataPieces(ByteStream& stream, uint32_t length, PngImageData& imageData) {
    while (length > 0) {
        const std::span<const uint8_t> lent = stream.Lend(length);
        if (lent.empty()) break;
        imageData.pieces.push_back(lent);
        length -= static_cast<uint32_t>(lent.size());
    }
    if (length > 0) imageData.pieces.push_back(imageData.copies.emplace_back(ReadChunkData(stream, length)));
}

// The run of IDAT chunks that begins with one of `length` data bytes. After
// each chunk's data come its CRC and the next chunk's length and type; the
// run ends at another type, whose start is returned, or where the stream
// cannot give those 12 bytes.
std::optional<ChunkStart> ReadImageData(ByteStream& stream, uint32_t length, PngImageData& imageData) {
    for (;;) {
        ReadImageDataPieces(stream, length, imageData);
        uint8_t next[12];
        if (ReadFully(stream, next, sizeof next) != sizeof next) return std::nullopt;
        length = ReadBe32(next + 4);
        ChunkStart start{length, {}};
        std::memcpy(start.type.data(), next + 8, 4);
        if (!IsType(start.type, "IDAT")) {
            imageData.endsInOtherChunk = true;
            return start;
        }
    }
}

// The chunk loop: a length, a type, then the chunk's data and CRC, up to and
// including IEND.
void ReadChunks(ByteStream& stream, PngFile& file) {
    uint8_t signature[8];
    if (ReadFully(stream, signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0) {
        throw EPngInvalidFileHeader();
    }
    PngParseContext context;
    std::optional<ChunkStart> afterImageData;
    bool imageDataRead = false;
    for (;;) {
        ChunkStart start{};
        if (afterImageData) {
            start = *afterImageData;
            afterImageData.reset();
        } else {
            uint8_t lengthBytes[4];
            // A partial length is as unusable as none.
            if (ReadFully(stream, lengthBytes, 4) != 4) throw EPngUnexpectedEnd();
            start.length = ReadBe32(lengthBytes);
            ReadFully(stream, start.type.data(), 4);
        }
        if (file.chunks.empty() && !IsType(start.type, "IHDR")) throw EPngIHDRNotFirst();
        if (IsType(start.type, "cHRM") || (IsType(start.type, "IDAT") && imageDataRead)) {
            SkipBytes(stream, uint64_t{start.length} + 4);
            continue;
        }
        std::vector<uint8_t> data;
        if (IsType(start.type, "IDAT")) {
            afterImageData = ReadImageData(stream, start.length, file.imageData);
            imageDataRead = true;
        } else {
            data = ReadChunkData(stream, start.length);
            uint8_t crc[4];
            ReadFully(stream, crc, sizeof crc);  // never verified
        }
        file.chunks.push_back(ParsePngChunk(start.type, std::move(data), start.length, context));
        if (file.chunks.size() == 1) context.colourType = static_cast<const TPngChunkIHDR&>(*file.chunks[0]).colourType;
        if (IsType(start.type, "IEND")) return;
    }
}

}  // namespace

PngFile ReadPngFile(ByteStream& stream) {
    PngFile file;
    try {
        ReadChunks(stream, file);
    } catch (const EPngFailure&) {
        file.failure = std::current_exception();
    }
    return file;
}
