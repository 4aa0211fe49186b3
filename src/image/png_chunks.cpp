#include "image/png_chunks.h"

#include "image/png_failures.h"
#include "image/png_picture.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace {

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

void ReadCrc(ByteStream& stream) {
    uint8_t crc[4];
    ReadFully(stream, crc, sizeof crc);  // never verified
}

// The registry: types and classes in the order they are tried.
struct ChunkClass {
    char type[5];
    std::unique_ptr<TPngChunk> (*create)(TPngPicture&);
};

template <class Chunk>
std::unique_ptr<TPngChunk> Make(TPngPicture& owner) {
    return std::make_unique<Chunk>(owner);
}

constexpr ChunkClass kChunkClasses[] = {
    {"IEND", Make<TPngChunkIEND>}, {"IHDR", Make<TPngChunkIHDR>}, {"IDAT", Make<TPngChunkIDAT>},
    {"PLTE", Make<TPngChunkPLTE>}, {"gAMA", Make<TPngChunkgAMA>}, {"tRNS", Make<TPngChunktRNS>},
    {"pHYs", Make<TPngChunkpHYs>}, {"tIME", Make<TPngChunktIME>}, {"tEXt", Make<TPngChunkTEXT>},
    {"zTXt", Make<TPngChunkzTXT>},
};

}  // namespace

std::unique_ptr<TPngChunk> CreatePngChunk(const PngChunkType& type, TPngPicture& owner) {
    for (const ChunkClass& c : kChunkClasses) {
        if (std::equal(type.begin(), type.end(), c.type)) return c.create(owner);
    }
    return std::make_unique<TPngChunk>(owner);
}

bool TPngChunk::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    type_ = type;
    data_ = ReadChunkData(stream, length);
    ReadCrc(stream);
    return true;
}

// Stored bits per pixel, by colour type and bit depth. 2-bit samples are kept
// as 4-bit indexes; 16-bit samples keep their high byte.
int TPngChunkIHDR::StoredBitsPerPixel() const {
    switch (colourType) {
        case 0:
            switch (bitDepth) {
                case 1: return 1;
                case 2: case 4: return 4;
                case 8: case 16: return 8;
            }
            return 0;
        case 3:
            switch (bitDepth) {
                case 1: return 1;
                case 2: case 4: return 4;
                case 8: return 8;
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

void TPngChunkIHDR::BuildGreyRamp() {
    const int n = image.ColorCount();
    const auto& gamma = Owner().Gamma();
    for (int k = 0; k < n; ++k) {
        const uint8_t level = gamma[k * 255 / (n - 1)];
        image.SetColorTableEntry(k, {level, level, level});
    }
}

bool TPngChunkIHDR::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    TPngChunk::LoadFromStream(stream, type, length);
    if (data_.size() < 13) throw EPngInvalidIHDR();
    const uint8_t* d = data_.data();
    width = ReadBe32(d);
    height = ReadBe32(d + 4);
    if (width > 65535 || height > 65535) throw EPngSizeExceeds();
    bitDepth = d[8], colourType = d[9], compressionMethod = d[10], filterMethod = d[11];
    interlaceMethod = d[12];
    if (compressionMethod != 0) throw EPngUnknownCompression();
    if (interlaceMethod > 1) throw EPngUnknownInterlace();

    // Only the picture's header owns an image: a later IHDR chunk is held, not
    // built, so repeated headers cannot multiply the memory taken.
    if (&Owner().Header() != this) return true;
    Owner().SetInterlaceMethod(interlaceMethod);
    const int bits = StoredBitsPerPixel();
    if (bits == 0) throw EPngInvalidIHDR();  // no row converter for this pair
    image.Build(width, height, bits, colourType == 4 || colourType == 6);
    if (colourType == 3) {
        for (int i = 0; i < image.ColorCount(); ++i) image.SetColorTableEntry(i, kHalftonePalette[i]);
    } else if (bits <= 8) {
        BuildGreyRamp();
    }
    return true;
}

bool TPngChunkIDAT::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    type_ = type;
    LoadPngImageData(Owner(), stream, length);
    Owner().SetImageDataLoaded();
    return true;
}

bool TPngChunkPLTE::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    if (length % 3 != 0 || length / 3 > 256) throw EPngInvalidPalette();
    TPngChunk::LoadFromStream(stream, type, length);
    count = static_cast<int>(data_.size() / 3);
    PngStorage& image = Owner().Header().image;
    const auto& gamma = Owner().Gamma();
    const int n = std::min(count, image.ColorCount());
    for (int i = 0; i < n; ++i) {
        const uint8_t* e = data_.data() + 3 * i;
        image.SetColorTableEntry(i, {gamma[e[0]], gamma[e[1]], gamma[e[2]]});
    }
    return true;
}

bool TPngChunktRNS::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    if (length > 256) throw EPngInvalidPalette();
    TPngChunk::LoadFromStream(stream, type, length);
    alpha.fill(255);
    std::copy(data_.begin(), data_.end(), alpha.begin());
    const uint8_t colourType = Owner().Header().colourType;
    if (colourType == 0 || colourType == 2) {
        bitTransparency = true;
    } else if (colourType == 3) {
        bitTransparency = std::count_if(data_.begin(), data_.end(), [](uint8_t a) { return a != 255; }) == 1;
    }
    return true;
}

bool TPngChunkgAMA::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    TPngChunk::LoadFromStream(stream, type, length);
    gamma = data_.size() == 4 && length == 4 ? ReadBe32(data_.data()) : 1;
    Owner().SetGamma(gamma);
    return true;
}

bool TPngChunkpHYs::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    TPngChunk::LoadFromStream(stream, type, length);
    if (data_.size() == 9) {
        pixelsPerUnitX = ReadBe32(data_.data());
        pixelsPerUnitY = ReadBe32(data_.data() + 4);
        unit = data_[8];
    }
    return true;
}

bool TPngChunktIME::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    TPngChunk::LoadFromStream(stream, type, length);
    if (data_.size() == 7) {
        const uint8_t* d = data_.data();
        year = static_cast<uint16_t>(d[0] << 8 | d[1]);
        month = d[2], day = d[3], hour = d[4], minute = d[5], second = d[6];
    }
    return true;
}

bool TPngChunkTEXT::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    TPngChunk::LoadFromStream(stream, type, length);
    if (data_.size() > 2) {
        const auto zero = std::find(data_.begin(), data_.end(), 0);
        keyword.assign(data_.begin(), zero);
        if (zero != data_.end()) text.assign(zero + 1, data_.end());
    }
    return true;
}

bool TPngChunkzTXT::LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) {
    TPngChunk::LoadFromStream(stream, type, length);
    if (data_.size() <= 3) return true;
    const auto zero = std::find(data_.begin(), data_.end(), 0);
    keyword.assign(data_.begin(), zero);
    if (zero == data_.end() || zero + 1 == data_.end()) return true;
    compressionMethod = *(zero + 1);
    if (compressionMethod != 0) return true;

    // Text is informational: a damaged stream keeps what inflated before the damage.
    z_stream z{};
    if (inflateInit_(&z, ZLIB_VERSION, sizeof z) != Z_OK) return true;
    const size_t start = static_cast<size_t>(zero + 2 - data_.begin());
    z.next_in = data_.data() + start;
    z.avail_in = static_cast<uInt>(data_.size() - start);
    const size_t budget = std::min(kMaxTextBytes, kMaxPictureTextBytes - Owner().InflatedTextBytes());
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
    Owner().AddInflatedText(text.size());
    return true;
}
