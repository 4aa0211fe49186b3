// The chunk classes of a PNG picture. A chunk read from a file gets the first
// class in the registry whose type equals its four type bytes exactly, else
// the base class, which holds the data raw; so iCCP, sRGB and every other
// type are kept as read. Chunk CRCs are read and never verified: damaged but
// readable files still load.
#pragma once

#include "image/png_storage.h"
#include "image/png_stream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TPngPicture;

using PngChunkType = std::array<char, 4>;

class TPngChunk {
public:
    explicit TPngChunk(TPngPicture& owner) : owner_(owner) {}
    virtual ~TPngChunk() = default;
    TPngChunk(const TPngChunk&) = delete;
    TPngChunk& operator=(const TPngChunk&) = delete;

    // Reads `length` data bytes and the CRC; subclasses then parse the data.
    virtual bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length);

    const PngChunkType& Type() const { return type_; }
    const std::vector<uint8_t>& Data() const { return data_; }
    TPngPicture& Owner() const { return owner_; }

protected:
    std::vector<uint8_t> data_;
    PngChunkType type_{};

private:
    TPngPicture& owner_;
};

// Creates the registry's class for `type`, or the raw base class.
std::unique_ptr<TPngChunk> CreatePngChunk(const PngChunkType& type, TPngPicture& owner);

class TPngChunkIEND : public TPngChunk {
public:
    using TPngChunk::TPngChunk;
};

class TPngChunkIHDR : public TPngChunk {
public:
    using TPngChunk::TPngChunk;
    bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) override;

    uint32_t width = 0, height = 0;
    uint8_t bitDepth = 0, colourType = 0, compressionMethod = 0, filterMethod = 0,
            interlaceMethod = 0;
    // The decoded image; built by the picture's header chunk.
    PngStorage image;

    // Stored bits per pixel by colour type and bit depth; 0 for pairs the
    // decoder does not know.
    int StoredBitsPerPixel() const;
    // Bytes of one complete pixel, at least 1: the filters' left distance.
    int FilterBytesPerPixel() const;
    // Bits of one pixel as the image data carries it.
    int RawBitsPerPixel() const;
    // Fills indexed storage with a grey ramp through the owner's gamma table.
    void BuildGreyRamp();
};

class TPngChunkIDAT : public TPngChunk {
public:
    using TPngChunk::TPngChunk;
    // Decodes the picture's image data, reading on through the IDAT chunks
    // that follow; the data itself is not kept.
    bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) override;
};

class TPngChunkPLTE : public TPngChunk {
public:
    using TPngChunk::TPngChunk;
    bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) override;
    int count = 0;
};

class TPngChunkgAMA : public TPngChunk {
public:
    using TPngChunk::TPngChunk;
    bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) override;
    uint32_t gamma = 0;  // x 100000
};

class TPngChunktRNS : public TPngChunk {
public:
    using TPngChunk::TPngChunk;
    bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) override;
    std::array<uint8_t, 256> alpha{};
    bool bitTransparency = false;
};

class TPngChunkpHYs : public TPngChunk {
public:
    using TPngChunk::TPngChunk;
    bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) override;
    uint32_t pixelsPerUnitX = 0, pixelsPerUnitY = 0;
    uint8_t unit = 0;
};

class TPngChunktIME : public TPngChunk {
public:
    using TPngChunk::TPngChunk;
    bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) override;
    uint16_t year = 0;
    uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class TPngChunkTEXT : public TPngChunk {
public:
    using TPngChunk::TPngChunk;
    bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) override;
    std::string keyword, text;
};

class TPngChunkzTXT : public TPngChunk {
public:
    // Inflated text beyond this is dropped: a small chunk cannot claim
    // unbounded memory, nor can many of them together.
    static constexpr size_t kMaxTextBytes = size_t{1} << 20;
    static constexpr size_t kMaxPictureTextBytes = size_t{8} << 20;

    using TPngChunk::TPngChunk;
    bool LoadFromStream(ByteStream& stream, const PngChunkType& type, uint32_t length) override;
    std::string keyword, text;
    uint8_t compressionMethod = 0;
};

// Reads a big-endian 32-bit value.
inline uint32_t ReadBe32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
