#include "image/png_chunks.h"

#include "image/png_failures.h"

#include <zlib.h>

#include <algorithm>

namespace {

// The table: types and classes in the order they are tried.
struct ChunkClass {
    char type[5];
    std::unique_ptr<TPngChunk> (*create)();
};

template <class Chunk>
std::unique_ptr<TPngChunk> Make() {
    return std::make_unique<Chunk>();
}

constexpr ChunkClass kChunkClasses[] = {
    {"IEND", Make<TPngChunkIEND>}, {"IHDR", Make<TPngChunkIHDR>}, {"IDAT", Make<TPngChunkIDAT>},
    {"PLTE", Make<TPngChunkPLTE>}, {"gAMA", Make<TPngChunkgAMA>}, {"tRNS", Make<TPngChunktRNS>},
    {"pHYs", Make<TPngChunkpHYs>}, {"tIME", Make<TPngChunktIME>}, {"tEXt", Make<TPngChunkTEXT>},
    {"zTXt", Make<TPngChunkzTXT>},
};

}  // namespace

std::unique_ptr<TPngChunk> ParsePngChunk(const PngChunkType& type, std::vector<uint8_t> data, uint32_t length,
                                         PngParseContext& context) {
    std::unique_ptr<TPngChunk> chunk;
    for (const ChunkClass& c : kChunkClasses) {
        if (std::equal(type.begin(), type.end(), c.type)) {
            chunk = c.create();
            break;
        }
    }
    if (!chunk) chunk = std::make_unique<TPngChunk>();
    chunk->type_ = type;
    chunk->data_ = std::move(data);
    chunk->Parse(length, context);
    return chunk;
}

// Stored bits per pixel, by colour type and bit depth. 2-bit samples are kept
// as 4-bit indexes; 16-bit samples keep their high byte.
int TPngChunkIHDR::StoredBitsPerPixel() const {
    switch (colourType) {
        case 0: case 3:
            switch (bitDepth) {
                case 1: return 1;
                case 2: case 4: return 4;
                case 8: return 8;
                case 16: return colourType == 0 ? 8 : 0;
            }
            return 0;
        case 4: return bitDepth == 8 || bitDepth == 16 ? 8 : 0;
        case 2: case 6: return bitDepth == 8 || bitDepth == 16 ? 24 : 0;
    }
    return 0;
}

int TPngChunkIHDR::RawBitsPerPixel() const {
    static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    return colourType < 7 ? kChannels[colourType] * bitDepth : 0;
}

int TPngChunkIHDR::FilterBytesPerPixel() const { return std::max(1, RawBitsPerPixel() / 8); }

// The filter method goes unexamined.
void TPngChunkIHDR::Parse(uint32_t, PngParseContext&) {
    if (data_.size() < 13) throw EPngInvalidIHDR();
    const uint8_t* d = data_.data();
    width = ReadBe32(d);
    height = ReadBe32(d + 4);
    if (width > 65535 || height > 65535) throw EPngSizeExceeds();
    bitDepth = d[8], colourType = d[9], compressionMethod = d[10], filterMethod = d[11];
    interlaceMethod = d[12];
    if (compressionMethod != 0) throw EPngUnknownCompression();
    if (interlaceMethod > 1) throw EPngUnknownInterlace();
}

// The claimed length decides, whatever of the data the file really holds.
void TPngChunkPLTE::Parse(uint32_t length, PngParseContext&) {
    if (length % 3 != 0 || length / 3 > 256) throw EPngInvalidPalette();
    count = static_cast<int>(data_.size() / 3);
}

// 256 alpha values, 255 unless given. Bit transparency: always for grey and
// RGB, for a palette only when exactly one given entry is not opaque.
void TPngChunktRNS::Parse(uint32_t length, PngParseContext& context) {
    if (length > 256) throw EPngInvalidPalette();
    alpha.fill(255);
    std::copy(data_.begin(), data_.end(), alpha.begin());
    if (context.colourType == 0 || context.colourType == 2) {
        bitTransparency = true;
    } else if (context.colourType == 3) {
        bitTransparency = std::count_if(data_.begin(), data_.end(), [](uint8_t a) { return a != 255; }) == 1;
    }
}

// A gAMA chunk of another length reads as gamma 1 (x 100000).
void TPngChunkgAMA::Parse(uint32_t length, PngParseContext&) {
    gamma = data_.size() == 4 && length == 4 ? ReadBe32(data_.data()) : 1;
}

void TPngChunkpHYs::Parse(uint32_t, PngParseContext&) {
    if (data_.size() != 9) return;
    pixelsPerUnitX = ReadBe32(data_.data());
    pixelsPerUnitY = ReadBe32(data_.data() + 4);
    unit = data_[8];
}

void TPngChunktIME::Parse(uint32_t, PngParseContext&) {
    if (data_.size() != 7) return;
    const uint8_t* d = data_.data();
    year = static_cast<uint16_t>(d[0] << 8 | d[1]);
    month = d[2], day = d[3], hour = d[4], minute = d[5], second = d[6];
}

// Keyword and text meet at the first 0 byte.
void TPngChunkTEXT::Parse(uint32_t, PngParseContext&) {
    if (data_.size() <= 2) return;
    const auto zero = std::find(data_.begin(), data_.end(), 0);
    keyword.assign(data_.begin(), zero);
    if (zero != data_.end()) text.assign(zero + 1, data_.end());
}

// Keyword, 0, the compression method, then for method 0 the zlib stream of
// the text. Text is informational: a damaged stream keeps what inflated
// before the damage.
void TPngChunkzTXT::Parse(uint32_t, PngParseContext& context) {
    if (data_.size() <= 3) return;
    const auto zero = std::find(data_.begin(), data_.end(), 0);
    keyword.assign(data_.begin(), zero);
    if (zero == data_.end() || zero + 1 == data_.end()) return;
    compressionMethod = *(zero + 1);
    if (compressionMethod != 0) return;

    z_stream z{};
    if (inflateInit_(&z, kZlibVersion, sizeof z) != Z_OK) return;
    const size_t start = static_cast<size_t>(zero + 2 - data_.begin());
    z.next_in = data_.data() + start;
    z.avail_in = static_cast<uInt>(data_.size() - start);
    const size_t budget = std::min(kMaxTextBytes, context.textBytesLeft);
    char piece[16384];
    while (text.size() < budget) {
        z.next_out = reinterpret_cast<Bytef*>(piece);
        z.avail_out = sizeof piece;
        const int result = inflate(&z, Z_NO_FLUSH);
        const size_t produced = sizeof piece - z.avail_out;
        text.append(piece, std::min(produced, budget - text.size()));
        if (result != Z_OK || produced == 0) break;
    }
    inflateEnd(&z);
    context.textBytesLeft -= text.size();
}
