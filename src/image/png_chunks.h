// The chunks of a PNG file as plain data: each holds its type and its data as
// read, and the fields its class parses from them; none knows the picture it
// belongs to. A chunk gets the first class in the table whose type equals its
// four type bytes exactly, else the base class, which holds the data raw; so
// iCCP, sRGB and every other type are kept as read.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using PngChunkType = std::array<char, 4>;

// The zlib version the inflate calls name: zlib compares only its first digit
// with its own, so every 1.x library takes it.
inline constexpr char kZlibVersion[] = "1.2.3";

struct PngParseContext;

class TPngChunk {
public:
    TPngChunk() = default;
    virtual ~TPngChunk() = default;
    TPngChunk(const TPngChunk&) = delete;
    TPngChunk& operator=(const TPngChunk&) = delete;

    const PngChunkType& Type() const { return type_; }
    const std::vector<uint8_t>& Data() const { return data_; }

    // Parses the data; `length` is what the chunk claimed, which the data
    // read may fall short of. Throws the failure kind of a malformed chunk.
    virtual void Parse(uint32_t /*length*/, PngParseContext& /*context*/) {}

protected:
    std::vector<uint8_t> data_;
    PngChunkType type_{};

    friend std::unique_ptr<TPngChunk> ParsePngChunk(const PngChunkType& type, std::vector<uint8_t> data,
                                                    uint32_t length, PngParseContext& context);
};

// Makes the table's class for `type` (or the raw base class), gives it the
// data and parses it.
std::unique_ptr<TPngChunk> ParsePngChunk(const PngChunkType& type, std::vector<uint8_t> data, uint32_t length,
                                         PngParseContext& context);

class TPngChunkIEND : public TPngChunk {};

class TPngChunkIHDR : public TPngChunk {
public:
    uint32_t width = 0, height = 0;
    uint8_t bitDepth = 0, colourType = 0, compressionMethod = 0, filterMethod = 0, interlaceMethod = 0;

    // Stored bits per pixel by colour type and bit depth; 0 for pairs the
    // decoder does not know.
    int StoredBitsPerPixel() const;
    // Bytes of one complete pixel, at least 1: the filters' left distance.
    int FilterBytesPerPixel() const;
    // Bits of one pixel as the image data carries it.
    int RawBitsPerPixel() const;
    void Parse(uint32_t length, PngParseContext& context) override;
};

// Where the image data begins. Its bytes, with those of the IDAT chunks that
// follow it, are read as the file's image data, not kept in the chunk.
class TPngChunkIDAT : public TPngChunk {};

class TPngChunkPLTE : public TPngChunk {
public:
    int count = 0;  // entries of red, green, blue in the data
    void Parse(uint32_t length, PngParseContext& context) override;
};

class TPngChunkgAMA : public TPngChunk {
public:
    uint32_t gamma = 0;  // x 100000
    void Parse(uint32_t length, PngParseContext& context) override;
};

class TPngChunktRNS : public TPngChunk {
public:
    std::array<uint8_t, 256> alpha{};
    bool bitTransparency = false;
    void Parse(uint32_t length, PngParseContext& context) override;
};

class TPngChunkpHYs : public TPngChunk {
public:
    uint32_t pixelsPerUnitX = 0, pixelsPerUnitY = 0;
    uint8_t unit = 0;
    void Parse(uint32_t length, PngParseContext& context) override;
};

class TPngChunktIME : public TPngChunk {
public:
    uint16_t year = 0;
    uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
    void Parse(uint32_t length, PngParseContext& context) override;
};

class TPngChunkTEXT : public TPngChunk {
public:
    std::string keyword, text;
    void Parse(uint32_t length, PngParseContext& context) override;
};

class TPngChunkzTXT : public TPngChunk {
public:
    // Inflated text beyond this is dropped, so that a small chunk, or many
    // of them together, cannot claim unbounded memory.
    static constexpr size_t kMaxTextBytes = size_t{1} << 20;
    static constexpr size_t kMaxPictureTextBytes = size_t{8} << 20;

    std::string keyword, text;
    uint8_t compressionMethod = 0;
    void Parse(uint32_t length, PngParseContext& context) override;
};

// What parsing a chunk needs from the chunks read before it.
struct PngParseContext {
    uint8_t colourType = 0;  // the header's
    size_t textBytesLeft = TPngChunkzTXT::kMaxPictureTextBytes;  // for compressed text
};

// Reads a big-endian 32-bit value.
inline uint32_t ReadBe32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
