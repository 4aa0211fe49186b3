#include "image/png_image_data.h"

#include "image/png_failures.h"
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

// Rows are inflated in batches of about this size, then unfiltered while in cache.
constexpr size_t kBatchBytes = 128 * 1024;

// Feeds inflate the image data's pieces in order. Past the last piece, image
// data that went on in another chunk type is a failure; at the stream's end
// it simply ends, as does the zlib stream's own end.
class ImageDataInflater {
public:
    explicit ImageDataInflater(const PngImageData& data) : data_(data) {
        const int result = inflateInit_(&z_, kZlibVersion, sizeof z_);
        if (result != Z_OK) throw EPngZLIBError(result);
    }
    ~ImageDataInflater() { inflateEnd(&z_); }
    ImageDataInflater(const ImageDataInflater&) = delete;
    ImageDataInflater& operator=(const ImageDataInflater&) = delete;

    // Fills out[0, want) as far as the data goes; fewer bytes mean it ended.
    size_t Inflate(uint8_t* out, size_t want) {
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(want);
        while (z_.avail_out > 0 && !ended_) {
            if (z_.avail_in == 0 && !NextPiece()) {
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

private:
    bool NextPiece() {
        while (next_ < data_.pieces.size()) {
            const std::span<const uint8_t> piece = data_.pieces[next_++];
            if (piece.empty()) continue;
            z_.next_in = const_cast<Bytef*>(piece.data());  // inflate only reads it
            z_.avail_in = static_cast<uInt>(piece.size());
            return true;
        }
        if (data_.endsInOtherChunk) throw EPngMissingMultipleIDAT();
        return false;
    }

    const PngImageData& data_;
    size_t next_ = 0;
    z_stream z_{};
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

void DecodeImageData(const TPngChunkIHDR& header, const PngGamma& gamma, const PngImageData& data, PngStorage& image) {
    const int bpp = header.FilterBytesPerPixel();
    const std::span<const Pass> passes = header.interlaceMethod == 1 ? std::span<const Pass>(kAdam7)
                                                                     : std::span<const Pass>(kWholeImage);
    ImageDataInflater inflater(data);

    RowJob job{};
    job.gamma = gamma.Table().data();
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
        const RowConverter convert = ChooseRowConverter(header, gamma.IsIdentity(), pass.x0 == 0 && pass.dx == 1);
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
                return;
            }
            std::memcpy(buffer, buffer + complete * line, line);
        }
    }
}
