#include "image/png_picture.h"

#include "image/png_failures.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

enum class ChunkKind { Other, IHDR, PLTE, IDAT, IEND, gAMA, tRNS };

// The chunk types the picture acts on, compared with the four type bytes
// exactly; every other type (cHRM, iCCP, text, ...) is read past.
constexpr struct {
    char type[5];
    ChunkKind kind;
} kChunkTable[] = {
    {"IHDR", ChunkKind::IHDR}, {"PLTE", ChunkKind::PLTE}, {"IDAT", ChunkKind::IDAT},
    {"IEND", ChunkKind::IEND}, {"gAMA", ChunkKind::gAMA}, {"tRNS", ChunkKind::tRNS},
};

struct ChunkStart {
    uint32_t length;
    ChunkKind kind;
};

uint32_t ReadBe32(const uint8_t* p) { return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }

// A chunk's length and type; a type cut short by the stream's end reads as
// zeros beyond it.
ChunkStart StartOf(const uint8_t* bytes) {
    for (const auto& entry : kChunkTable) {
        if (std::memcmp(bytes + 4, entry.type, 4) == 0) return {ReadBe32(bytes), entry.kind};
    }
    return {ReadBe32(bytes), ChunkKind::Other};
}

// The run of IDAT chunks that begins with `start`: after each chunk's data
// come its CRC and the next chunk's start. The run ends at another type, left
// in `start`, or where the stream cannot give those 12 bytes.
void ReadImageData(MemoryReadStream& stream, ChunkStart& start, PngImageData& data) {
    for (;;) {
        data.pieces.push_back(stream.Take(start.length));
        uint8_t next[12] = {};
        if (stream.Read(next, sizeof next) != sizeof next) return;
        start = StartOf(next + 4);
        if (start.kind != ChunkKind::IDAT) {
            data.endsInOtherChunk = true;
            return;
        }
    }
}

}  // namespace

void TPngPicture::LoadFromStream(MemoryReadStream& stream) {
    *this = TPngPicture();
    try {
        Read(stream);
        loaded_ = true;
    } catch (...) {
        *this = TPngPicture();
        throw;
    }
}

// The chunk loop: a length, a type, then the chunk's data and CRC, up to and
// including IEND. Each chunk acts where it stands, so a gAMA chunk changes
// only what comes after it and a file fails with its first fault in file
// order. CRCs are read, never verified: damaged but readable files still load.
void TPngPicture::Read(MemoryReadStream& stream) {
    uint8_t signature[8];
    if (stream.Read(signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0) throw EPngInvalidFileHeader();
    bool imageDataRead = false;
    bool startRead = false;  // by the image data's run, which ended at this chunk
    ChunkStart start{};
    for (;;) {
        if (!std::exchange(startRead, false)) {
            uint8_t bytes[8] = {};
            if (stream.Read(bytes, 4) != 4) throw EPngUnexpectedEnd();  // a partial length is as unusable as none
            stream.Read(bytes + 4, 4);
            start = StartOf(bytes);
        }
        if (!headerRead_ && start.kind != ChunkKind::IHDR) throw EPngIHDRNotFirst();
        if (start.kind == ChunkKind::IDAT && !imageDataRead) {  // later runs are read past
            imageDataRead = true;
            PngImageData data;
            ReadImageData(stream, start, data);
            startRead = data.endsInOtherChunk;
            ImageData(data);
            continue;
        }
        // A chunk that claims more than the stream holds gets what is there.
        const std::span<const uint8_t> data = stream.Take(start.length);
        stream.Take(4);  // the CRC
        switch (start.kind) {
            case ChunkKind::IHDR: Header(data); break;
            case ChunkKind::PLTE: Palette(start.length, data); break;
            case ChunkKind::tRNS: Transparency(start.length, data); break;
            case ChunkKind::gAMA:  // one of another length reads as gamma 1 (x 100000)
                SetGamma(gamma_, data.size() == 4 && start.length == 4 ? ReadBe32(data.data()) : 1);
                break;
            case ChunkKind::IEND:
                if (!imageDataRead) throw EPngNoImageData();
                return;
            case ChunkKind::IDAT:
            case ChunkKind::Other: break;
        }
    }
}

// Every header is checked; only the first builds the image, so repeated
// headers cannot multiply the memory taken. The filter method goes
// unexamined. A palette image starts with the halftone palette.
void TPngPicture::Header(std::span<const uint8_t> data) {
    if (data.size() < 13) throw EPngInvalidIHDR();
    TPngChunkIHDR header;
    header.width = ReadBe32(data.data());
    header.height = ReadBe32(data.data() + 4);
    if (header.width > 65535 || header.height > 65535) throw EPngSizeExceeds();
    header.bitDepth = data[8], header.colourType = data[9], header.interlaceMethod = data[12];
    if (data[10] != 0) throw EPngUnknownCompression();
    if (header.interlaceMethod > 1) throw EPngUnknownInterlace();
    if (headerRead_) return;
    header_ = header;
    headerRead_ = true;
    const int bits = header.StoredBitsPerPixel();
    if (bits == 0) throw EPngInvalidIHDR();  // no row converter for this pair
    image_.Build(header.width, header.height, bits, header.colourType == 4 || header.colourType == 6);
    if (header.colourType == 3) {
        for (int i = 0; i < image_.ColorCount(); ++i) image_.SetColorTableEntry(i, kHalftonePalette[i]);
    }
}

// The claimed length decides validity, whatever of the data the file really
// holds. Entries go through the gamma table; 24-bit storage has no table.
void TPngPicture::Palette(uint32_t length, std::span<const uint8_t> data) {
    if (length % 3 != 0 || length / 3 > 256) throw EPngInvalidPalette();
    paletteRead_ = true;
    const int count = std::min(static_cast<int>(data.size() / 3), image_.ColorCount());
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = data.data() + 3 * i;
        image_.SetColorTableEntry(i, {gamma_[e[0]], gamma_[e[1]], gamma_[e[2]]});
    }
}

// Every tRNS chunk is checked; the first one counts. Bit transparency: always
// for grey and RGB, for a palette only when exactly one given entry is not opaque.
void TPngPicture::Transparency(uint32_t length, std::span<const uint8_t> data) {
    if (length > 256) throw EPngInvalidPalette();
    if (hasTransparency_) return;
    hasTransparency_ = true;
    transparency_.assign(data.begin(), data.end());
    const uint8_t colourType = header_.colourType;
    bitTransparency_ = colourType == 0 || colourType == 2 ||
                       (colourType == 3 && std::count_if(data.begin(), data.end(), [](uint8_t a) { return a != 255; }) == 1);
}

// The grey ramp takes the gamma table as it stands here; without PLTE a
// palette image has no colours to show.
void TPngPicture::ImageData(const PngImageData& data) {
    if (header_.colourType == 0 || header_.colourType == 4) image_.SetGreyRamp(gamma_);
    if (header_.colourType == 3 && !paletteRead_) throw EPngInvalidPalette();
    DecodeImageData(header_, gamma_, data, image_);
}

const PngStorage& TPngPicture::Image() const {
    if (Empty()) throw EPngHeaderNotPresent();
    return image_;
}

PngTransparencyMode TPngPicture::TransparencyMode() const {
    if (Empty()) return PngTransparencyMode::None;
    switch (header_.colourType) {
        case 4: case 6: return PngTransparencyMode::Partial;
        case 0: case 2: return hasTransparency_ ? PngTransparencyMode::Bit : PngTransparencyMode::None;
        case 3:
            if (!hasTransparency_) return PngTransparencyMode::None;
            return bitTransparency_ ? PngTransparencyMode::Bit : PngTransparencyMode::Partial;
    }
    return PngTransparencyMode::None;
}

// The tRNS sample is taken the way the image's own samples are stored (high
// byte at 16 bits, 5 x sample at 2 bits), so it matches the pixels it names;
// colours through the colour table and gamma table as they stand after loading.
PngColor TPngPicture::TransparentColor() const {
    if (Empty() || !hasTransparency_) return {};
    const std::vector<uint8_t>& d = transparency_;
    auto stored = [&](size_t sample) -> uint8_t {
        if (d.size() < 2 * sample + 2) return 0;
        return header_.bitDepth == 16 ? d[2 * sample] : d[2 * sample + 1];
    };
    auto entry = [&](int index) { return index < image_.ColorCount() ? image_.ColorTableEntry(index) : PngColor{}; };
    switch (header_.colourType) {
        case 0: return entry(header_.bitDepth == 2 ? 5 * stored(0) : stored(0));
        case 2: return {gamma_[stored(0)], gamma_[stored(1)], gamma_[stored(2)]};
        case 3: {
            const auto transparent = std::find(d.begin(), d.end(), 0);
            return transparent == d.end() ? PngColor{} : entry(static_cast<int>(transparent - d.begin()));
        }
    }
    return {};
}

void RegisterPngPicture(PictureClassRegistry& registry) {
    registry.Register({"TPngPicture", [] { return std::make_unique<TPngPicture>(); }});
}
