// The image data: one zlib stream carried across consecutive IDAT chunks,
// inflated in large pieces, unfiltered row by row (each row after a filter-type
// byte) and converted straight into the picture's storage.
#include "image/png_failures.h"
#include "image/png_picture.h"
#include "image/png_rows.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace {

struct Pass {
    uint32_t x0, y0, dx, dy;
};

// Adam7. Within every 8 x 8 tile a pixel belongs to the pass numbered here:
//   1 6 4 6 2 6 4 6
//   7 7 7 7 7 7 7 7
//   5 6 5 6 5 6 5 6
//   7 7 7 7 7 7 7 7
//   3 6 4 6 3 6 4 6
//   7 7 7 7 7 7 7 7
//   5 6 5 6 5 6 5 6
//   7 7 7 7 7 7 7 7
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWholeImage[1] = {{0, 0, 1, 1}};

// Input that the stream cannot lend is copied in pieces of at most this many bytes.
constexpr uint32_t kInputPiece = 65535;
// Rows are inflated in batches of about this size, then unfiltered while in cache.
constexpr size_t kBatchBytes = 128 * 1024;

// Feeds inflate from the IDAT chunks. When a chunk's data is used up and more
// output is wanted, its CRC is read (not verified) and the next chunk must be
// IDAT. A read that returns nothing ends the image data.
class IdatInflater {
public:
    IdatInflater(ByteStream& stream, uint32_t firstLength) : stream_(stream), chunkLeft_(firstLength) {
        const int result = inflateInit_(&z_, ZLIB_VERSION, sizeof z_);
        if (result != Z_OK) throw EPngZLIBError(result);
    }
    ~IdatInflater() { inflateEnd(&z_); }
    IdatInflater(const IdatInflater&) = delete;
    IdatInflater& operator=(const IdatInflater&) = delete;

    // Fills out[0, want) as far as the data goes; fewer bytes mean it ended.
    size_t Inflate(uint8_t* out, size_t want) {
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(want);
        while (z_.avail_out > 0 && !ended_) {
            if (z_.avail_in == 0 && !Refill()) {
                ended_ = true;
                break;
            }
            const int result = inflate(&z_, Z_NO_FLUSH);
            // A stream that asks for a preset dictionary can never go on.
            if (result < 0 || result == Z_NEED_DICT) throw EPngZLIBError(result);
            if (result == Z_STREAM_END) ended_ = true;
        }
        return want - z_.avail_out;
    }

    // After the last row: whatever the current chunk still holds is skipped,
    // then its CRC is read; the chunk loop goes on from there.
    void Finish() {
        SkipBytes(stream_, chunkLeft_);
        uint8_t crc[4];
        ReadFully(stream_, crc, sizeof crc);
    }

private:
    bool Refill() {
        for (;;) {
            if (chunkLeft_ > 0) {
                // A memory stream lends the rest of the chunk: no copy on the way to zlib.
                std::span<const uint8_t> got = stream_.Lend(chunkLeft_);
                if (got.empty()) {
                    if (input_.empty()) input_.resize(kInputPiece);
                    got = {input_.data(), stream_.Read(input_.data(), std::min(kInputPiece, chunkLeft_))};
                }
                if (got.empty()) return false;
                chunkLeft_ -= static_cast<uint32_t>(got.size());
                z_.next_in = const_cast<Bytef*>(got.data());  // inflate only reads it
                z_.avail_in = static_cast<uInt>(got.size());
                return true;
            }
            uint8_t next[12];  // CRC of this chunk, length and type of the next
            if (ReadFully(stream_, next, sizeof next) != sizeof next) return false;
            if (std::memcmp(next + 8, "IDAT", 4) != 0) throw EPngMissingMultipleIDAT();
            chunkLeft_ = ReadBe32(next + 4);
        }
    }

    ByteStream& stream_;
    uint32_t chunkLeft_;
    z_stream z_{};
    std::vector<uint8_t> input_;  // only for streams that cannot lend
    bool ended_ = false;
};

// A pass's extent; either side may be 0, and the pass then has no bytes.
struct PassSize {
    uint32_t width, height;
    size_t rowBytes;  // without the filter-type byte
};

PassSize SizeOf(const Pass& pass, const TPngChunkIHDR& header) {
    const uint32_t width = (header.width + pass.dx - pass.x0 - 1) / pass.dx;
    const uint32_t height = (header.height + pass.dy - pass.y0 - 1) / pass.dy;
    return {width, height, (size_t{width} * header.RawBitsPerPixel() + 7) / 8};
}

// Converts one unfiltered row of a pass into storage row y.
void Place(PngStorage& image, RowConverter convert, RowJob& job, const uint8_t* row, uint32_t y) {
    job.src = row;
    job.dst = image.Row(y);
    job.alpha = image.HasAlpha() ? image.AlphaRow(y) : nullptr;
    convert(job);
}

// What the image data never reached gets the value of zero samples (colour
// table entry 0, or black, and alpha 0). Rows it never wrote to are cleared
// whole; in rows that hold pixels of earlier passes, the missing passes'
// pixels are stored by the plain converter from a row of zeros, so the cost
// stays near that of clearing. Storage below 8 bits was zeroed when made.
void ZeroUnreached(const TPngChunkIHDR& header, PngStorage& image, std::span<const Pass> passes, uint32_t firstRow,
                   const std::vector<bool>& written) {
    if (image.BitsPerPixel() < 8) return;
    for (uint32_t y = 0; y < header.height; ++y) {
        if (written[y]) continue;
        std::memset(image.Row(y), 0, image.Stride());
        if (image.HasAlpha()) std::memset(image.AlphaRow(y), 0, header.width);
    }
    for (const Pass& pass : passes) {
        const PassSize size = SizeOf(pass, header);
        const RowConverter convert = ChooseRowConverter(header, true, pass.x0 == 0 && pass.dx == 1);
        const std::vector<uint8_t> zeros(size.rowBytes + kUnfilterSlack);
        RowJob job{};
        job.count = size.width, job.x0 = pass.x0, job.dx = pass.dx;
        for (uint32_t r = firstRow; size.width > 0 && r < size.height; ++r) {
            const uint32_t y = pass.y0 + r * pass.dy;
            if (written[y]) Place(image, convert, job, zeros.data(), y);
        }
        firstRow = 0;
    }
}

}  // namespace

void LoadPngImageData(TPngPicture& picture, ByteStream& stream, uint32_t length) {
    TPngChunkIHDR& header = picture.Header();
    if (header.colourType == 0 || header.colourType == 4) header.BuildGreyRamp();
    // Without PLTE a palette image has no colours to show.
    if (header.colourType == 3 && !picture.FindChunk<TPngChunkPLTE>()) throw EPngInvalidPalette();

    PngStorage& image = header.image;
    const int bpp = header.FilterBytesPerPixel();
    const std::span<const Pass> passes = picture.InterlaceMethod() == 1 ? std::span<const Pass>(kAdam7)
                                                                        : std::span<const Pass>(kWholeImage);
    IdatInflater inflater(stream, length);

    RowJob job{};
    job.gamma = picture.Gamma().data();
    std::vector<bool> written(header.height);
    for (size_t p = 0; p < passes.size(); ++p) {
        const Pass& pass = passes[p];
        const PassSize size = SizeOf(pass, header);
        if (size.width == 0 || size.height == 0) continue;  // a pass without bytes
        const size_t line = size.rowBytes + 1;  // filter-type byte, then the row
        const size_t batchRows = std::clamp<size_t>(kBatchBytes / line, 1, size.height);
        // Line 0 holds the previous row: all zeros at the start of every pass.
        // The other lines are always inflated into before they are read.
        const std::unique_ptr<uint8_t[]> storage = std::make_unique_for_overwrite<uint8_t[]>(line * (batchRows + 1) + kUnfilterSlack);
        uint8_t* const buffer = storage.get();
        std::memset(buffer, 0, line);
        // Chosen per pass: the last Adam7 pass, half the pixels, is as dense as a plain row.
        const RowConverter convert = ChooseRowConverter(header, picture.GammaIsIdentity(), pass.x0 == 0 && pass.dx == 1);
        if (!convert) throw EPngInvalidIHDR();
        job.count = size.width;
        job.x0 = pass.x0;
        job.dx = pass.dx;

        for (uint32_t done = 0; done < size.height;) {
            const size_t rows = std::min<size_t>(batchRows, size.height - done);
            const size_t produced = inflater.Inflate(buffer + line, rows * line);
            const size_t complete = produced / line;
            for (size_t r = 1; r <= complete; ++r) {
                uint8_t* row = buffer + r * line;
                UnfilterRow(row[0], row + 1, row + 1 - line, size.rowBytes, bpp);
                const uint32_t y = pass.y0 + (done + static_cast<uint32_t>(r) - 1) * pass.dy;
                Place(image, convert, job, row + 1, y);
                written[y] = true;
            }
            done += static_cast<uint32_t>(complete);
            if (complete < rows) {  // the data ended
                ZeroUnreached(header, image, passes.subspan(p), done, written);
                inflater.Finish();
                return;
            }
            std::memcpy(buffer, buffer + complete * line, line);
        }
    }
    inflater.Finish();
}
