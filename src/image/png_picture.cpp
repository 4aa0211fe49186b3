#include "image/png_picture.h"

#include "image/png_failures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

bool IsType(const PngChunkType& type, const char (&name)[5]) {
    return std::equal(type.begin(), type.end(), name);
}

constexpr std::array<uint8_t, 256> kOpaque = [] {
    std::array<uint8_t, 256> a{};
    a.fill(255);
    return a;
}();

}  // namespace

TPngPicture::TPngPicture() { Clear(); }
TPngPicture::~TPngPicture() = default;

void TPngPicture::Clear() {
    chunks_.clear();
    for (int i = 0; i < 256; ++i) gamma_[i] = static_cast<uint8_t>(i);
    gammaIsIdentity_ = true;
    interlaceMethod_ = 0;
    imageDataLoaded_ = false;
    inflatedTextBytes_ = 0;
}

const TPngChunkIHDR& TPngPicture::Header() const {
    if (chunks_.empty()) throw EPngHeaderNotPresent();
    return static_cast<const TPngChunkIHDR&>(*chunks_.front());  // the loop admits only IHDR first
}

TPngChunkIHDR& TPngPicture::Header() {
    return const_cast<TPngChunkIHDR&>(static_cast<const TPngPicture&>(*this).Header());
}

void TPngPicture::LoadFromStream(ByteStream& stream) {
    Clear();
    try {
        LoadChunks(stream);
    } catch (...) {
        Clear();
        throw;
    }
}

// The chunk loop: a length, a type, then the chunk's data and CRC, up to and
// including IEND. cHRM chunks and the IDAT chunks met after the image data has
// been decoded are skipped unread; every other chunk is kept, critical or not.
void TPngPicture::LoadChunks(ByteStream& stream) {
    uint8_t signature[8];
    if (ReadFully(stream, signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0) {
        throw EPngInvalidFileHeader();
    }
    for (;;) {
        uint8_t lengthBytes[4];
        // A partial length is as unusable as none.
        if (ReadFully(stream, lengthBytes, 4) != 4) throw EPngUnexpectedEnd();
        const uint32_t length = ReadBe32(lengthBytes);
        PngChunkType type{};
        ReadFully(stream, type.data(), 4);
        if (chunks_.empty() && !IsType(type, "IHDR")) throw EPngIHDRNotFirst();
        if (IsType(type, "cHRM") || (IsType(type, "IDAT") && imageDataLoaded_)) {
            SkipBytes(stream, uint64_t{length} + 4);
            continue;
        }
        chunks_.push_back(CreatePngChunk(type, *this));
        chunks_.back()->LoadFromStream(stream, type, length);
        if (IsType(type, "IEND")) break;
    }
    if (!imageDataLoaded_) throw EPngNoImageData();
}

// gamma[i] = round(255 x (i / 255)^(1 / (g / 100000 x 2.2))), halves to even.
void TPngPicture::SetGamma(uint32_t gamma) {
    if (gamma == 0) return;
    const double exponent = 1.0 / (gamma / 100000.0 * 2.2);
    gammaIsIdentity_ = true;
    for (int i = 0; i < 256; ++i) {
        const double t = i == 0 ? 0.0 : std::nearbyint(255.0 * std::pow(i / 255.0, exponent));
        gamma_[i] = static_cast<uint8_t>(std::clamp(t, 0.0, 255.0));
        gammaIsIdentity_ = gammaIsIdentity_ && gamma_[i] == i;
    }
}

PngTransparencyMode TPngPicture::TransparencyMode() const {
    if (Empty()) return PngTransparencyMode::None;
    const TPngChunktRNS* trns = FindChunk<TPngChunktRNS>();
    switch (Header().colourType) {
        case 4: case 6: return PngTransparencyMode::Partial;
        case 0: case 2: return trns ? PngTransparencyMode::Bit : PngTransparencyMode::None;
        case 3:
            if (!trns) return PngTransparencyMode::None;
            return trns->bitTransparency ? PngTransparencyMode::Bit : PngTransparencyMode::Partial;
    }
    return PngTransparencyMode::None;
}

// The tRNS sample is taken the way the image's own samples are stored (high
// byte at 16 bits, 5 x sample at 2 bits), so it matches the pixels it names.
PngColor TPngPicture::TransparentColor() const {
    const TPngChunktRNS* trns = Empty() ? nullptr : FindChunk<TPngChunktRNS>();
    if (!trns) return {};
    const TPngChunkIHDR& header = Header();
    const std::vector<uint8_t>& d = trns->Data();
    auto stored = [&](size_t sample) -> uint8_t {
        if (d.size() < 2 * sample + 2) return 0;
        return header.bitDepth == 16 ? d[2 * sample] : d[2 * sample + 1];
    };
    switch (header.colourType) {
        case 0: {
            int index = stored(0);
            if (header.bitDepth == 2) index *= 5;
            return index < header.image.ColorCount() ? header.image.ColorTableEntry(index) : PngColor{};
        }
        case 2: return {gamma_[stored(0)], gamma_[stored(1)], gamma_[stored(2)]};
        case 3:
            for (size_t i = 0; i < d.size(); ++i) {
                if (d[i] == 0) {
                    const int index = static_cast<int>(i);
                    return index < header.image.ColorCount() ? header.image.ColorTableEntry(index)
                                                              : PngColor{};
                }
            }
            return {};
    }
    return {};
}

PngColor TPngPicture::PaletteEntry(int index) const {
    const PngStorage& image = Image();
    if (index < 0 || index >= image.ColorCount()) throw EPngError();
    return image.ColorTableEntry(index);
}

const std::array<uint8_t, 256>& TPngPicture::PaletteAlpha() const {
    const TPngChunktRNS* trns = Empty() ? nullptr : FindChunk<TPngChunktRNS>();
    return trns ? trns->alpha : kOpaque;
}
