#include "image/png_rows.h"

#include "image/png_chunks.h"
#include "image/png_storage.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUORVANE_SSE2 1
#endif

namespace {

// Filters, specialised by bytes per pixel so the compiler can keep a pixel in
// registers and vectorise Up. Sub, Average and Paeth depend on the pixel to
// the left, so with SSE2 they work a whole pixel (3 to 8 bytes) per step.
template <int B>
void UnfilterSub(uint8_t* row, size_t n) {
    for (size_t i = B; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - B]);
}

void UnfilterUp(uint8_t* row, const uint8_t* prev, size_t n) {
    for (size_t i = 0; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
}

template <int B>
void UnfilterAverage(uint8_t* row, const uint8_t* prev, size_t n) {
    const size_t first = n < B ? n : B;
    for (size_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + (prev[i] >> 1));
    for (size_t i = B; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + ((row[i - B] + prev[i]) >> 1));
}

template <int B>
void UnfilterPaeth(uint8_t* row, const uint8_t* prev, size_t n) {
    const size_t first = n < B ? n : B;
    for (size_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
    for (size_t i = B; i < n; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + PaethPredictor(row[i - B], prev[i], prev[i - B]));
    }
}

#ifdef QUORVANE_SSE2
// One pixel of B bytes in the low lanes of a register; the other lanes are 0.
// Eight bytes are read whatever the pixel's size (the caller leaves
// kUnfilterSlack readable bytes after each row); lanes past the pixel are
// never stored.
template <int>
inline __m128i LoadPixel(const uint8_t* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

template <int B>
inline void StorePixel(uint8_t* p, __m128i v) {
#if defined(__x86_64__) || defined(_M_X64)
    const uint64_t bits = static_cast<uint64_t>(_mm_cvtsi128_si64(v));
#else
    uint64_t bits;  // no 64-bit general register in a 32-bit build: through memory
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&bits), v);
#endif
    std::memcpy(p, &bits, B);
}

template <int B>
void UnfilterSubSse2(uint8_t* row, size_t n) {
    __m128i a = _mm_setzero_si128();
    size_t i = 0;
    if constexpr (B == 4) {
        // Four pixels a step as a prefix sum over the lanes, plus the pixel before.
        for (; i + 16 <= n; i += 16) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
            x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
            x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
            x = _mm_add_epi8(x, a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), x);
            a = _mm_shuffle_epi32(x, 0xFF);
        }
    }
    for (; i < n; i += B) {
        a = _mm_add_epi8(LoadPixel<B>(row + i), a);
        StorePixel<B>(row + i, a);
    }
}

template <int B>
void UnfilterAverageSse2(uint8_t* row, const uint8_t* prev, size_t n) {
    const __m128i one = _mm_set1_epi8(1);
    __m128i a = _mm_setzero_si128();
    for (size_t i = 0; i < n; i += B) {
        const __m128i b = LoadPixel<B>(prev + i);
        // floor((a + b) / 2): the rounding-up average less the carried-out low bit
        const __m128i average = _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
        a = _mm_add_epi8(LoadPixel<B>(row + i), average);
        StorePixel<B>(row + i, a);
    }
}

inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

// Paeth on 16-bit lanes: the predictor is a where |p - a| is the smallest,
// else b where |p - b| is, else c: the same tie order as PaethPredictor.
template <int B>
void UnfilterPaethSse2(uint8_t* row, const uint8_t* prev, size_t n) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero;
    for (size_t i = 0; i < n; i += B) {
        const __m128i b = _mm_unpacklo_epi8(LoadPixel<B>(prev + i), zero);
        const __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
        const __m128i pa = Abs16(bc), pb = Abs16(ac), pc = Abs16(_mm_add_epi16(bc, ac));
        const __m128i smallest = _mm_min_epi16(_mm_min_epi16(pa, pb), pc);
        const __m128i useA = _mm_cmpeq_epi16(smallest, pa), useB = _mm_cmpeq_epi16(smallest, pb);
        const __m128i bOrC = _mm_or_si128(_mm_and_si128(useB, b), _mm_andnot_si128(useB, c));
        const __m128i predictor = _mm_or_si128(_mm_and_si128(useA, a), _mm_andnot_si128(useA, bOrC));
        const __m128i x = _mm_add_epi8(LoadPixel<B>(row + i), _mm_packus_epi16(predictor, predictor));
        StorePixel<B>(row + i, x);
        a = _mm_unpacklo_epi8(x, zero);
        c = b;
    }
}
#endif

template <int B>
void Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t n) {
#ifdef QUORVANE_SSE2
    if constexpr (B >= 3 && std::endian::native == std::endian::little) {
        const size_t whole = n - n % B;  // rows hold whole pixels; a stray tail goes byte by byte
        switch (filter) {
            case 1: UnfilterSubSse2<B>(row, whole); break;
            case 2: UnfilterUp(row, prev, n); return;
            case 3: UnfilterAverageSse2<B>(row, prev, whole); break;
            case 4: UnfilterPaethSse2<B>(row, prev, whole); break;
            default: return;
        }
        for (size_t i = whole; i < n; ++i) {
            const int a = i >= B ? row[i - B] : 0, b = prev[i], c = i >= B ? prev[i - B] : 0;
            const int add = filter == 1 ? a : filter == 3 ? (a + b) >> 1 : PaethPredictor(uint8_t(a), uint8_t(b), uint8_t(c));
            row[i] = static_cast<uint8_t>(row[i] + add);
        }
        return;
    }
#endif
    switch (filter) {
        case 1: UnfilterSub<B>(row, n); break;
        case 2: UnfilterUp(row, prev, n); break;
        case 3: UnfilterAverage<B>(row, prev, n); break;
        case 4: UnfilterPaeth<B>(row, prev, n); break;
        default: break;  // 0, and unknown types: the row stays as read
    }
}

inline void SetPackedField(uint8_t* row, uint32_t x, int bits, uint32_t value) {
    if (bits == 8) {
        row[x] = static_cast<uint8_t>(value);
        return;
    }
    const uint32_t bit = x * static_cast<uint32_t>(bits);
    const int shift = 8 - bits - static_cast<int>(bit & 7);
    const uint32_t mask = ((1u << bits) - 1) << shift;
    row[bit >> 3] = static_cast<uint8_t>((row[bit >> 3] & ~mask) | (value << shift));
}

// Grey and palette samples of 1, 2, 4 or 8 bits into 1-, 4- or 8-bit indexes.
template <int kIn, int kOut, int kScale, bool kDense>
void ConvertPacked(const RowJob& j) {
    const uint8_t* const src = j.src;
    uint8_t* const dst = j.dst;
    const uint32_t count = j.count, x0 = j.x0, dx = j.dx;
    if constexpr (kDense && kIn == kOut) {
        std::memcpy(dst, src, (size_t{count} * kIn + 7) / 8);
    } else {
        for (uint32_t i = 0; i < count; ++i) {
            SetPackedField(dst, kDense ? i : x0 + i * dx, kOut, PackedField(src, i, kIn) * kScale);
        }
    }
}

// Grey (B bytes per sample), optionally followed by alpha: high bytes kept.
template <int B, bool kAlpha, bool kDense>
void ConvertGrey(const RowJob& j) {
    constexpr int kStep = kAlpha ? 2 * B : B;
    const uint8_t* s = j.src;
    uint8_t* const dst = j.dst;
    uint8_t* const alpha = j.alpha;
    const uint32_t count = j.count, x0 = j.x0, dx = j.dx;
    for (uint32_t i = 0; i < count; ++i, s += kStep) {
        const uint32_t x = kDense ? i : x0 + i * dx;
        dst[x] = s[0];
        if constexpr (kAlpha) alpha[x] = s[B];
    }
}

// RGB (B bytes per sample) into blue, green, red; alpha, when present, goes
// to the alpha plane without the gamma table. The job's fields are copied to
// locals: byte stores may alias anything, and would force reloads.
template <int B, bool kAlpha, bool kGamma, bool kDense>
void ConvertRgb(const RowJob& j) {
    constexpr int kStep = (kAlpha ? 4 : 3) * B;
    const uint8_t* s = j.src;
    const uint8_t* const g = j.gamma;
    uint8_t* const dst = j.dst;
    uint8_t* const alpha = j.alpha;
    const uint32_t count = j.count;
    uint32_t i = 0;
#ifdef QUORVANE_SSE2
    if constexpr (kDense && B == 1 && kAlpha && !kGamma && std::endian::native == std::endian::little) {
        // Four pixels a step: red and blue swapped in each 32-bit lane, alpha
        // packed down to four bytes, each 64-bit lane's two BGR triples closed
        // up to six bytes and stored eight at a time (the last two are the
        // next pixel's, written next).
        const __m128i keep = _mm_set1_epi32(static_cast<int>(0xFF00FF00u)), low = _mm_set1_epi32(0xFF);
        const __m128i first = _mm_set1_epi64x(0xFFFFFF), second = _mm_set1_epi64x(0xFFFFFF000000);
        for (; i + 5 <= count; i += 4, s += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const __m128i swapped = _mm_or_si128(
                _mm_and_si128(x, keep),
                _mm_or_si128(_mm_and_si128(_mm_srli_epi32(x, 16), low), _mm_slli_epi32(_mm_and_si128(x, low), 16)));
            const __m128i a = _mm_srli_epi32(x, 24);
            const __m128i a8 = _mm_packus_epi16(_mm_packs_epi32(a, a), _mm_setzero_si128());
            const int alphas = _mm_cvtsi128_si32(a8);
            std::memcpy(alpha + i, &alphas, 4);
            const __m128i triples = _mm_or_si128(_mm_and_si128(swapped, first),
                                                 _mm_and_si128(_mm_srli_epi64(swapped, 8), second));
            uint8_t* d = dst + size_t{i} * 3;
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d), triples);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 6), _mm_srli_si128(triples, 8));
        }
    }
    if constexpr (kDense && B == 1 && !kAlpha && !kGamma) {
        // Five pixels a step: each byte takes the one two places on (blue to
        // red's place), two places back (red to blue's) or stays (green). The
        // 16-byte store's last byte is the next step's first, so it stops six
        // pixels short of the row's end.
        const __m128i fromOn = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
        const __m128i stays = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0);
        const __m128i fromBack = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
        for (; i + 6 <= count; i += 5, s += 15) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
            const __m128i bgr = _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_srli_si128(x, 2), fromOn), _mm_and_si128(x, stays)),
                                             _mm_and_si128(_mm_slli_si128(x, 2), fromBack));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + size_t{i} * 3), bgr);
        }
    }
    if constexpr (kDense && B == 1 && !kAlpha && !kGamma && std::endian::native == std::endian::little) {
        // Two pixels a step in one 64-bit word: bytes 0 and 3 move up two
        // places, 2 and 5 down two, 1 and 4 stay. The eight-byte load stays
        // inside the row buffer's slack; the store's two extra bytes are the
        // next step's, so it stops three pixels short of the row's end.
        for (; i + 3 <= count; i += 2, s += 6) {
            uint64_t v;
            std::memcpy(&v, s, 8);
            const uint64_t bgr = (v & 0x000000FF0000FF00u) | ((v >> 16) & 0x00000000FF0000FFu) |
                                 ((v << 16) & 0x0000FF0000FF0000u);
            std::memcpy(dst + size_t{i} * 3, &bgr, 8);
        }
    }
#endif
    if constexpr (kDense && B == 1 && std::endian::native == std::endian::little) {
        // Four bytes in, four out, the fourth overwritten by the next pixel:
        // all but the last pixel, whose neighbours may lie outside the rows.
        for (; i + 1 < count; ++i, s += kStep) {
            uint32_t p;
            std::memcpy(&p, s, 4);
            uint32_t bgr;
            if constexpr (kGamma) {
                bgr = uint32_t{g[p >> 16 & 0xFF]} | uint32_t{g[p >> 8 & 0xFF]} << 8 | uint32_t{g[p & 0xFF]} << 16;
            } else {
                bgr = (p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16;
            }
            std::memcpy(dst + size_t{i} * 3, &bgr, 4);
            if constexpr (kAlpha) alpha[i] = static_cast<uint8_t>(p >> 24);
        }
    }
    const uint32_t x0 = j.x0, dx = j.dx;
    for (; i < count; ++i, s += kStep) {
        const uint32_t x = kDense ? i : x0 + i * dx;
        uint8_t* d = dst + size_t{x} * 3;
        if constexpr (kGamma) {
            d[0] = g[s[2 * B]], d[1] = g[s[B]], d[2] = g[s[0]];
        } else {
            d[0] = s[2 * B], d[1] = s[B], d[2] = s[0];
        }
        if constexpr (kAlpha) alpha[x] = s[3 * B];
    }
}

template <bool kDense>
RowConverter ChooseFor(const TPngChunkIHDR& h, bool gamma) {
    const int depth = h.bitDepth;
    switch (h.colourType) {
        case 0:
        case 3: {
            const bool grey = h.colourType == 0;
            switch (depth) {
                case 1: return ConvertPacked<1, 1, 1, kDense>;
                case 2: return grey ? ConvertPacked<2, 4, 5, kDense> : ConvertPacked<2, 4, 1, kDense>;
                case 4: return ConvertPacked<4, 4, 1, kDense>;
                case 8: return ConvertPacked<8, 8, 1, kDense>;
                case 16: return grey ? ConvertGrey<2, false, kDense> : nullptr;
            }
            return nullptr;
        }
        case 4:
            if (depth == 8) return ConvertGrey<1, true, kDense>;
            if (depth == 16) return ConvertGrey<2, true, kDense>;
            return nullptr;
        case 2:
        case 6: {
            const bool alpha = h.colourType == 6;
            if (depth == 8) {
                if (alpha) return gamma ? ConvertRgb<1, true, true, kDense> : ConvertRgb<1, true, false, kDense>;
                return gamma ? ConvertRgb<1, false, true, kDense> : ConvertRgb<1, false, false, kDense>;
            }
            if (depth == 16) {
                if (alpha) return gamma ? ConvertRgb<2, true, true, kDense> : ConvertRgb<2, true, false, kDense>;
                return gamma ? ConvertRgb<2, false, true, kDense> : ConvertRgb<2, false, false, kDense>;
            }
            return nullptr;
        }
    }
    return nullptr;
}

}  // namespace

void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t length, int bpp) {
    switch (bpp) {
        case 1: Unfilter<1>(filter, row, prev, length); break;
        case 2: Unfilter<2>(filter, row, prev, length); break;
        case 3: Unfilter<3>(filter, row, prev, length); break;
        case 4: Unfilter<4>(filter, row, prev, length); break;
        case 6: Unfilter<6>(filter, row, prev, length); break;
        case 8: Unfilter<8>(filter, row, prev, length); break;
        default: break;
    }
}

RowConverter ChooseRowConverter(const TPngChunkIHDR& header, bool gammaIsIdentity, bool dense) {
    return dense ? ChooseFor<true>(header, !gammaIsIdentity) : ChooseFor<false>(header, !gammaIsIdentity);
}
