// Small PNG files made in the tests: chunks with good or bad CRCs, zlib
// streams of raw rows, and loading helpers.
#pragma once

#include "image/png_failures.h"
#include "image/png_picture.h"
#include "png_pixels.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace pngtest {

using Bytes = std::vector<uint8_t>;

inline void PutBe32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline Bytes Signature() { return {137, 80, 78, 71, 13, 10, 26, 10}; }

inline Bytes Chunk(const char* type, const Bytes& data, bool goodCrc = true) {
    Bytes out;
    PutBe32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));  // null data resets
    PutBe32(out, static_cast<uint32_t>(goodCrc ? crc : ~crc));
    return out;
}

inline Bytes IhdrData(uint32_t width, uint32_t height, uint8_t depth, uint8_t colourType, uint8_t interlace = 0) {
    Bytes d;
    PutBe32(d, width);
    PutBe32(d, height);
    d.insert(d.end(), {depth, colourType, 0, 0, interlace});
    return d;
}

inline Bytes Zlib(const Bytes& raw, int level = 6) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level);
    out.resize(size);
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A whole file: signature, IHDR, the given chunks before the image data, the
// compressed rows in one IDAT, IEND.
inline Bytes File(const Bytes& ihdr, const Bytes& rawRows, const Bytes& before = {}) {
    return Concat({Signature(), Chunk("IHDR", ihdr), before, Chunk("IDAT", Zlib(rawRows)), Chunk("IEND", {})});
}

inline Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void Load(TPngPicture& picture, const Bytes& bytes) {
    MemoryReadStream stream(bytes);
    picture.LoadFromStream(stream);
}

// The failure kind loading gives, or nothing when it loads.
inline std::optional<PngFailureKind> LoadOutcome(const Bytes& bytes) {
    TPngPicture picture;
    try {
        Load(picture, bytes);
    } catch (const EPngFailure& failure) {
        return failure.Kind();
    }
    return std::nullopt;
}

}  // namespace pngtest
