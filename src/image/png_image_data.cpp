#include "image/png_image_data.h"

#include "image/png_failures.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUORVANE_SSE2 1
#endif

namespace {

// The zlib version the inflate calls name: zlib compares only its first digit
// with its own, so every 1.x library takes it.
constexpr char kZlibVersion[] = "1.2.3";

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

// Rows are inflated in batches of about this size: zlib's fast loop stops 258
// bytes short of the end of every buffer it fills, and a row at a time would
// leave 5 to 16 % of the bytes to its slow one.
constexpr size_t kBatchBytes = 128 * 1024;
// Readable bytes after the last row of a batch, for whole-pixel loads.
constexpr size_t kRowSlack = 8;

// Feeds inflate the pieces in order. Past the last, data that went on in
// another chunk type is a failure; at the stream's end it just ends.
class Inflater {
public:
    explicit Inflater(const PngImageData& data) : data_(data) {
        const int result = inflateInit_(&z_, kZlibVersion, sizeof z_);
        if (result != Z_OK) throw EPngZLIBError(result);
    }
    ~Inflater() { inflateEnd(&z_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Fills out[0, size) as far as the data goes; fewer bytes mean it ended.
    size_t Fill(uint8_t* out, size_t size) {
        z_.next_out = out;
        z_.avail_out = static_cast<uInt>(size);
        while (z_.avail_out > 0 && !ended_) {
            const int result = inflate(&z_, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                ended_ = true;
            } else if (result == Z_BUF_ERROR) {  // all it was given is used: the next piece
                if (next_ == data_.pieces.size() && data_.endsInOtherChunk) throw EPngMissingMultipleIDAT();
                ended_ = next_ == data_.pieces.size();
                if (!ended_) {
                    z_.next_in = const_cast<Bytef*>(data_.pieces[next_].data());  // inflate only reads it
                    z_.avail_in = static_cast<uInt>(data_.pieces[next_++].size());
                }
            } else if (result != Z_OK) {  // a preset dictionary (Z_NEED_DICT) can never be had either
                throw EPngZLIBError(result);
            }
        }
        return size - z_.avail_out;
    }

private:
    const PngImageData& data_;
    size_t next_ = 0;
    z_stream z_{};
    bool ended_ = false;
};

#ifdef QUORVANE_SSE2
__m128i Load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Sub, Average and Paeth of 3- to 8-byte pixels, 12 or 16 bytes of whole
// pixels a step: 16 bytes read (kRowSlack bytes follow every row), shifted down
// a pixel at a time, each result gathered from the top lanes down. Average works
// on complements, where the rounding-up average is the format's; Paeth on 16-bit
// lanes with PaethPredictor's tie order. Returns the bytes done.
template <int B, int kFilter>
size_t UnfilterSse2(uint8_t* row, const uint8_t* prev, size_t n) {
    constexpr int kBytes = B % 4 == 0 ? 16 : 12;
    const auto abs16 = [](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); };
    const __m128i zero = _mm_setzero_si128(), flip = _mm_set1_epi8(kFilter == 3 ? -1 : 0);
    __m128i a = flip, c = zero;
    size_t i = 0;
    for (; i + kBytes <= n; i += kBytes) {
        __m128i x = Load16(row + i), b = _mm_xor_si128(Load16(prev + i), flip), out = zero;
#pragma GCC unroll 4
        for (int k = 0; k < kBytes / B; ++k, x = _mm_srli_si128(x, B), b = _mm_srli_si128(b, B)) {
            if constexpr (kFilter == 1) a = _mm_add_epi8(x, a);
            if constexpr (kFilter == 3) a = _mm_sub_epi8(_mm_avg_epu8(a, b), x);
            if constexpr (kFilter == 4) {
                const __m128i a16 = _mm_unpacklo_epi8(a, zero), b16 = _mm_unpacklo_epi8(b, zero);
                const __m128i bc = _mm_sub_epi16(b16, c), ac = _mm_sub_epi16(a16, c);
                const __m128i pa = abs16(bc), pb = abs16(ac), pc = abs16(_mm_add_epi16(bc, ac));
                const __m128i smallest = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
                const __m128i useA = _mm_cmpeq_epi16(smallest, pa), useB = _mm_cmpeq_epi16(smallest, pb);
                const __m128i bOrC = _mm_or_si128(_mm_and_si128(useB, b16), _mm_andnot_si128(useB, c));
                const __m128i predictor = _mm_or_si128(_mm_and_si128(useA, a16), _mm_andnot_si128(useA, bOrC));
                a = _mm_add_epi8(x, _mm_packus_epi16(predictor, predictor)), c = b16;
            }
            out = _mm_or_si128(_mm_srli_si128(out, B), _mm_slli_si128(a, 16 - B));
        }
        alignas(16) uint8_t bytes[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(bytes), _mm_xor_si128(_mm_srli_si128(out, 16 - kBytes), flip));
        std::memcpy(row + i, bytes, kBytes);
    }
    return i;
}
#endif

// Filters by bytes per pixel B, a pixel a step: the left pixel (a) and the
// one above it (c), 0 at the row's start. Unknown types leave the row as read.
template <int B>
void Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t n) {
    uint8_t a[B] = {}, c[B] = {};
    size_t i = 0;
#ifdef QUORVANE_SSE2
    // Sub of 4-byte pixels: sums within 16 bytes plus the pixel before them.
    for (__m128i x, sum = _mm_setzero_si128(); B == 4 && filter == 1 && i + 16 <= n; i += 16) {
        x = _mm_add_epi8(Load16(row + i), _mm_slli_si128(Load16(row + i), 4));
        sum = _mm_add_epi8(sum, _mm_add_epi8(x, _mm_slli_si128(x, 8)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), sum);
        sum = _mm_shuffle_epi32(sum, 0xFF);
    }
    if constexpr (B >= 3) {
        if (filter == 1 && B % 4 != 0) i = UnfilterSse2<B, 1>(row, prev, n);  // 8 bytes: plain is as fast
        if (filter == 3) i = UnfilterSse2<B, 3>(row, prev, n);
        if (filter == 4) i = UnfilterSse2<B, 4>(row, prev, n);
    }
    for (; filter == 2 && i + 16 <= n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(Load16(row + i), Load16(prev + i)));
    if (i > 0) std::memcpy(a, row + i - B, B), std::memcpy(c, prev + i - B, B);  // the plain loops go on from i
#endif
    for (; filter == 1 && i < n; i += B)
        for (int k = 0; k < B; ++k) a[k] = row[i + k] = static_cast<uint8_t>(row[i + k] + a[k]);
    for (; filter == 2 && i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
    for (; (filter == 3 || filter == 4) && i < n; i += B) {
        for (int k = 0; k < B; ++k) {
            const uint8_t b = prev[i + k];
            const int add = filter == 3 ? (a[k] + b) >> 1 : PaethPredictor(a[k], b, c[k]);
            a[k] = row[i + k] = static_cast<uint8_t>(row[i + k] + add);
            c[k] = b;
        }
    }
}

// One unfiltered row of `count` pixels, placed at columns x0, x0 + dx, ... of
// one storage row and of the matching alpha-plane row.
struct RowJob {
    const uint8_t* src;
    uint8_t* dst;
    uint8_t* alpha;  // null without an alpha plane
    uint32_t count, x0, dx;
    const uint8_t* gamma;
    bool gammaIsIdentity;
};
using RowConverter = void (*)(const RowJob& job);

// Each field is set once, in storage that starts zeroed.
inline void SetPackedField(uint8_t* row, uint32_t x, int bits, uint32_t value) {
    const uint32_t bit = x * static_cast<uint32_t>(bits);
    row[bit >> 3] = static_cast<uint8_t>(row[bit >> 3] | value << (8 - bits - static_cast<int>(bit & 7)));
}

// Grey and palette samples of 1, 2, 4 or 8 bits into 1-, 4- or 8-bit indexes
// (2-bit grey times 5, onto the 16-level ramp). A whole row at the storage's
// own depth is a copy.
template <int kIn, int kOut, int kScale>
void ConvertPacked(const RowJob& j) {
    if (kIn == kOut && j.x0 == 0 && j.dx == 1) {
        std::memcpy(j.dst, j.src, (size_t{j.count} * kIn + 7) / 8);
        return;
    }
    for (uint32_t i = 0; i < j.count; ++i) SetPackedField(j.dst, j.x0 + i * j.dx, kOut, PackedField(j.src, i, kIn) * kScale);
}

// Converters copy the job to locals: their byte stores could alias it.

// Grey (B bytes per sample), optionally followed by alpha: high bytes kept.
template <int B, bool kAlpha>
void ConvertGrey(const RowJob& j) {
    const uint8_t* s = j.src;
    uint8_t* d = j.dst + j.x0;
    uint8_t* alpha = kAlpha ? j.alpha + j.x0 : nullptr;
    const uint32_t count = j.count, dx = j.dx;
    for (uint32_t i = 0; i < count; ++i, s += kAlpha ? 2 * B : B, d += dx) {
        *d = s[0];
        if constexpr (kAlpha) alpha[size_t{i} * dx] = s[B];
    }
}

#ifdef QUORVANE_SSE2
// RGBA four pixels a step: red and blue swapped in each 32-bit lane, alpha
// packed to four bytes, two BGR triples per 64-bit lane stored eight bytes at
// a time. RGB five a step: each byte takes the one two places on, two back or
// its own. Stores run into the next pixel, so both stop short of the row's
// end and return the pixels done.
template <bool kAlpha>
uint32_t ConvertRgbSse2(const uint8_t* s, uint8_t* d, uint8_t* alpha, uint32_t count) {
    uint32_t i = 0;
    if constexpr (kAlpha) {
        const __m128i keep = _mm_set1_epi32(static_cast<int>(0xFF00FF00u)), low = _mm_set1_epi32(0xFF);
        const __m128i first = _mm_set1_epi64x(0xFFFFFF), second = _mm_set1_epi64x(0xFFFFFF000000);
        for (; i + 5 <= count; i += 4, s += 16, d += 12) {
            const __m128i x = Load16(s);
            const __m128i swapped = _mm_or_si128(
                _mm_and_si128(x, keep),
                _mm_or_si128(_mm_and_si128(_mm_srli_epi32(x, 16), low), _mm_slli_epi32(_mm_and_si128(x, low), 16)));
            const __m128i a = _mm_srli_epi32(x, 24);
            const int alphas = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(a, a), _mm_setzero_si128()));
            std::memcpy(alpha + i, &alphas, 4);
            const __m128i triples = _mm_or_si128(_mm_and_si128(swapped, first),
                                                 _mm_and_si128(_mm_srli_epi64(swapped, 8), second));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d), triples);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 6), _mm_srli_si128(triples, 8));
        }
    } else {
        const __m128i fromOn = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
        const __m128i stays = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0);
        const __m128i fromBack = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
        for (; i + 6 <= count; i += 5, s += 15, d += 15) {
            const __m128i x = Load16(s);
            const __m128i on = _mm_and_si128(_mm_srli_si128(x, 2), fromOn), back = _mm_and_si128(_mm_slli_si128(x, 2), fromBack);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(_mm_or_si128(on, _mm_and_si128(x, stays)), back));
        }
    }
    return i;
}
#endif

// RGB (B bytes per sample) through the gamma table into blue, green, red;
// alpha, when present, goes to the alpha plane as it is.
template <int B, bool kAlpha>
void ConvertRgb(const RowJob& j) {
    constexpr int kStep = (kAlpha ? 4 : 3) * B;
    const uint8_t* s = j.src;
    const uint8_t* const g = j.gamma;
    uint8_t* d = j.dst + size_t{j.x0} * 3;
    uint8_t* alpha = kAlpha ? j.alpha + j.x0 : nullptr;
    const uint32_t count = j.count, dx = j.dx;
    uint32_t i = 0;
#ifdef QUORVANE_SSE2
    // Consecutive 8-bit pixels without gamma, the usual case, several at a time.
    if (B == 1 && j.gammaIsIdentity && dx == 1) i = ConvertRgbSse2<kAlpha>(s, d, alpha, count);
    s += size_t{i} * kStep, d += size_t{i} * 3;
#endif
    for (; i < count; ++i, s += kStep, d += 3 * dx) {
        d[0] = g[s[2 * B]], d[1] = g[s[B]], d[2] = g[s[0]];
        if constexpr (kAlpha) alpha[size_t{i} * dx] = s[3 * B];
    }
}

// What each colour type and bit depth the decoder knows becomes: the bits a
// pixel is stored in (2-bit samples as 4-bit indexes, 16-bit samples by their
// high byte) and the converter of its rows.
struct Format {
    uint8_t colourType, bitDepth;
    int storedBits;
    RowConverter convert;
};
constexpr Format kFormats[] = {
    {0, 1, 1, ConvertPacked<1, 1, 1>},  {0, 2, 4, ConvertPacked<2, 4, 5>},   {0, 4, 4, ConvertPacked<4, 4, 1>},
    {0, 8, 8, ConvertPacked<8, 8, 1>},  {0, 16, 8, ConvertGrey<2, false>},   {3, 1, 1, ConvertPacked<1, 1, 1>},
    {3, 2, 4, ConvertPacked<2, 4, 1>},  {3, 4, 4, ConvertPacked<4, 4, 1>},   {3, 8, 8, ConvertPacked<8, 8, 1>},
    {4, 8, 8, ConvertGrey<1, true>},    {4, 16, 8, ConvertGrey<2, true>},    {2, 8, 24, ConvertRgb<1, false>},
    {2, 16, 24, ConvertRgb<2, false>},  {6, 8, 24, ConvertRgb<1, true>},     {6, 16, 24, ConvertRgb<2, true>},
};

const Format* FormatOf(const TPngChunkIHDR& h) {
    for (const Format& format : kFormats) {
        if (format.colourType == h.colourType && format.bitDepth == h.bitDepth) return &format;
    }
    return nullptr;
}

}  // namespace

int TPngChunkIHDR::StoredBitsPerPixel() const {
    const Format* format = FormatOf(*this);
    return format ? format->storedBits : 0;
}

void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t length, int bpp) {
    using Unfilterer = void (*)(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t n);
    static constexpr Unfilterer kByBpp[9] = {nullptr,     Unfilter<1>, Unfilter<2>, Unfilter<3>, Unfilter<4>,
                                             nullptr,     Unfilter<6>, nullptr,     Unfilter<8>};
    if (bpp >= 1 && bpp <= 8 && kByBpp[bpp]) kByBpp[bpp](filter, row, prev, length);
}

void DecodeImageData(const TPngChunkIHDR& header, const std::array<uint8_t, 256>& gamma, const PngImageData& data,
                     PngStorage& image) {
    const Format* format = FormatOf(header);
    if (!format) throw EPngInvalidIHDR();
    const RowConverter convert = format->convert;
    static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const int bitsPerPixel = kChannels[header.colourType] * header.bitDepth;  // as the image data carries a pixel
    const int bpp = std::max(1, bitsPerPixel / 8);
    const auto passes = header.interlaceMethod == 1 ? std::span<const Pass>(kAdam7) : std::span<const Pass>(kWholeImage);
    Inflater inflater(data);
    RowJob job{};
    job.gamma = gamma.data();
    job.gammaIsIdentity = gamma == IdentityGamma();
    for (const Pass& pass : passes) {
        const uint32_t width = (header.width + pass.dx - pass.x0 - 1) / pass.dx;
        const uint32_t height = (header.height + pass.dy - pass.y0 - 1) / pass.dy;
        if (width == 0 || height == 0) continue;  // a pass without bytes
        const size_t rowBytes = (size_t{width} * static_cast<uint32_t>(bitsPerPixel) + 7) / 8;
        const size_t line = rowBytes + 1;  // the filter-type byte, then the row
        // Line 0 holds the row above the batch: zeros above a pass's first row.
        // The others are always inflated into before they are read.
        const size_t batchRows = std::clamp<size_t>(kBatchBytes / line, 1, height);
        const auto storage = std::make_unique_for_overwrite<uint8_t[]>((batchRows + 1) * line + kRowSlack);
        uint8_t* const lines = storage.get();
        std::memset(lines, 0, line);
        job.count = width, job.x0 = pass.x0, job.dx = pass.dx;
        for (uint32_t done = 0; done < height;) {
            const uint32_t rows = static_cast<uint32_t>(std::min<size_t>(batchRows, height - done));
            const uint32_t complete = static_cast<uint32_t>(inflater.Fill(&lines[line], rows * line) / line);
            for (uint32_t r = 1; r <= complete; ++r) {
                uint8_t* row = &lines[r * line];
                UnfilterRow(row[0], row + 1, row + 1 - line, rowBytes, bpp);
                const uint32_t y = pass.y0 + (done + r - 1) * pass.dy;
                job.src = row + 1;
                job.dst = image.Row(y);
                job.alpha = image.HasAlpha() ? image.AlphaRow(y) : nullptr;
                convert(job);
            }
            if (complete < rows) return;  // the data ended
            done += rows;
            std::memcpy(lines, &lines[rows * line], line);
        }
    }
}
