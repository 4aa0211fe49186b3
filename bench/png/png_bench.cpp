// PNG decoding benchmark: the program's decoder (to its storage) against
// libpng, libspng, stb_image and lodepng (each to its native full output) and
// against zlib inflating the same IDAT data alone, the floor of any decoder
// that inflates with zlib. Every figure is a median of runs in this process,
// in processor time of the decoding thread; ratios are to the zlib floor of
// the same image.
//
//   png_bench LOGO.png            the table, as Markdown
//   png_bench --once NAME FILE.png   one decode of FILE by NAME (for callgrind)
//   png_bench --write LOGO.png DIR   the test images as files image0.png ...
#include "image/png_picture.h"

#include <lodepng.h>
#include <png.h>
#include <spng.h>
#include <stb/stb_image.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------
// Test images. The encoder here really applies the filter it writes: each row
// gets the filter with the smallest sum of absolute values (the usual
// heuristic), or filter 0 for palette images.

void PutBe32(Bytes& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void PutChunk(Bytes& out, const char* type, const uint8_t* data, size_t size) {
    PutBe32(out, static_cast<uint32_t>(size));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (size) crc = crc32(crc, data, static_cast<uInt>(size));  // zlib takes a null buffer as a reset
    PutBe32(out, static_cast<uint32_t>(crc));
}

int Paeth(int a, int b, int c) {
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Filters one row (n bytes, bpp bytes per pixel) and appends type + bytes.
void FilterRow(Bytes& out, const uint8_t* row, const uint8_t* prev, size_t n, int bpp, bool adaptive) {
    Bytes best;
    long bestScore = -1;
    for (int type = 0; type <= (adaptive ? 4 : 0); ++type) {
        Bytes f(n + 1);
        f[0] = static_cast<uint8_t>(type);
        long score = 0;
        for (size_t i = 0; i < n; ++i) {
            const int a = i >= size_t(bpp) ? row[i - bpp] : 0, b = prev ? prev[i] : 0;
            const int c = i >= size_t(bpp) && prev ? prev[i - bpp] : 0;
            int p = 0;
            switch (type) {
                case 1: p = a; break;
                case 2: p = b; break;
                case 3: p = (a + b) / 2; break;
                case 4: p = Paeth(a, b, c); break;
            }
            f[i + 1] = static_cast<uint8_t>(row[i] - p);
            score += std::abs(static_cast<int8_t>(f[i + 1]));
        }
        if (bestScore < 0 || score < bestScore) bestScore = score, best = std::move(f);
    }
    out.insert(out.end(), best.begin(), best.end());
}

struct Image {
    std::string name;
    Bytes png;
    uint64_t rawBytes = 0;  // decoded size at native depth, for MB/s
};

// Photo-like content: smooth light, a few soft shapes, fine texture and noise.
double Sample(uint32_t x, uint32_t y, int channel, uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    const double noise = ((seed >> 24) / 255.0 - 0.5) * 0.06;
    const double u = x / 700.0, v = y / 500.0;
    const double light = 0.45 + 0.25 * std::sin(u * 1.7 + channel) * std::cos(v * 1.3 - channel * 0.7);
    const double texture = 0.08 * std::sin(x * 0.37 + y * 0.11 + channel) * std::sin(y * 0.23);
    const double blob = 0.2 * std::exp(-((u - 1.5) * (u - 1.5) + (v - 1.2) * (v - 1.2)));
    return std::clamp(light + texture + blob + noise, 0.0, 1.0);
}

Image MakeImage(const std::string& name, uint32_t w, uint32_t h, int colourType, int depth, bool interlaced) {
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const int channels = kChannels[colourType];
    const int bytesPerSample = depth / 8;
    const int bpp = channels * bytesPerSample;
    uint32_t seed = 12345;
    // The full image, native layout, top row first.
    Bytes pixels(size_t(w) * h * bpp);
    Bytes palette;
    if (colourType == 3) {
        for (int i = 0; i < 256; ++i) {
            palette.push_back(static_cast<uint8_t>((i >> 5) * 255 / 7));
            palette.push_back(static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7));
            palette.push_back(static_cast<uint8_t>((i & 3) * 255 / 3));
        }
    }
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = &pixels[(size_t(y) * w + x) * bpp];
            if (colourType == 3) {
                const int r = int(Sample(x, y, 0, seed) * 7.99), g = int(Sample(x, y, 1, seed) * 7.99);
                const int b = int(Sample(x, y, 2, seed) * 3.99);
                p[0] = static_cast<uint8_t>(r << 5 | g << 2 | b);
                continue;
            }
            for (int c = 0; c < channels; ++c) {
                double s = Sample(x, y, c, seed);
                if (c == 3) s = std::clamp(1.2 - std::hypot(x / double(w) - 0.5, y / double(h) - 0.5) * 2.0, 0.0, 1.0);
                const uint32_t value = static_cast<uint32_t>(s * (depth == 16 ? 65535 : 255));
                if (depth == 16) p[2 * c] = static_cast<uint8_t>(value >> 8), p[2 * c + 1] = static_cast<uint8_t>(value);
                else p[c] = static_cast<uint8_t>(value);
            }
        }
    }

    Bytes raw;
    const bool adaptive = colourType != 3;
    const int passes = interlaced ? 7 : 1;
    static const uint32_t kPass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                         {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (int pass = 0; pass < passes; ++pass) {
        const uint32_t x0 = interlaced ? kPass[pass][0] : 0, y0 = interlaced ? kPass[pass][1] : 0;
        const uint32_t dx = interlaced ? kPass[pass][2] : 1, dy = interlaced ? kPass[pass][3] : 1;
        const uint32_t pw = (w + dx - x0 - 1) / dx, ph = (h + dy - y0 - 1) / dy;
        if (!pw || !ph) continue;
        Bytes row(size_t(pw) * bpp), prev;
        for (uint32_t r = 0; r < ph; ++r) {
            for (uint32_t i = 0; i < pw; ++i) {
                std::memcpy(&row[size_t(i) * bpp], &pixels[((size_t(y0) + r * dy) * w + x0 + i * dx) * bpp], bpp);
            }
            FilterRow(raw, row.data(), prev.empty() ? nullptr : prev.data(), row.size(), bpp, adaptive);
            prev = row;
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes z(size);
    compress2(z.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6);
    z.resize(size);

    Image image{name, {137, 80, 78, 71, 13, 10, 26, 10}, pixels.size()};
    Bytes ihdr;
    PutBe32(ihdr, w);
    PutBe32(ihdr, h);
    ihdr.insert(ihdr.end(), {static_cast<uint8_t>(depth), static_cast<uint8_t>(colourType), 0, 0,
                             static_cast<uint8_t>(interlaced ? 1 : 0)});
    PutChunk(image.png, "IHDR", ihdr.data(), ihdr.size());
    if (!palette.empty()) PutChunk(image.png, "PLTE", palette.data(), palette.size());
    for (size_t at = 0; at < z.size(); at += 65536) {
        PutChunk(image.png, "IDAT", z.data() + at, std::min<size_t>(65536, z.size() - at));
    }
    PutChunk(image.png, "IEND", nullptr, 0);
    return image;
}

// ---------------------------------------------------------------------------
// The decoders.

struct Geometry {
    uint32_t width, height;
    int depth, colourType, interlace;
    Bytes idat;  // the IDAT data, concatenated
};

Geometry Parse(const Bytes& png) {
    Geometry g{};
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t n = uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        const char* type = reinterpret_cast<const char*>(&png[at + 4]);
        const uint8_t* d = &png[at + 8];
        if (!std::memcmp(type, "IHDR", 4)) {
            g.width = uint32_t(d[0]) << 24 | d[1] << 16 | d[2] << 8 | d[3];
            g.height = uint32_t(d[4]) << 24 | d[5] << 16 | d[6] << 8 | d[7];
            g.depth = d[8], g.colourType = d[9], g.interlace = d[12];
        }
        if (!std::memcmp(type, "IDAT", 4)) g.idat.insert(g.idat.end(), d, d + n);
        at += 12 + size_t(n);
    }
    return g;
}

uint64_t InflatedSize(const Geometry& g) {
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const uint64_t bits = uint64_t(kChannels[g.colourType]) * g.depth;
    if (!g.interlace) return (bits * g.width + 7) / 8 * g.height + g.height;
    static const uint32_t kPass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                         {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    uint64_t total = 0;
    for (const auto& p : kPass) {
        const uint64_t pw = (g.width + p[2] - p[0] - 1) / p[2], ph = (g.height + p[3] - p[1] - 1) / p[3];
        if (pw && ph) total += ((bits * pw + 7) / 8 + 1) * ph;
    }
    return total;
}

struct Decoder {
    const char* name;
    std::function<void(const Bytes& png, const Geometry& g)> decode;
};

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "png_bench: %s failed\n", what);
        std::exit(1);
    }
}

// The floor: one inflate call over all the IDAT data into a buffer reused
// across runs, so it pays neither allocation nor page faults; nor filling it
// first, which would count in a single decode under callgrind.
void DecodeZlibAlone(const Bytes&, const Geometry& g) {
    static std::unique_ptr<uint8_t[]> out;
    static size_t outSize = 0;
    if (outSize < InflatedSize(g)) {
        outSize = InflatedSize(g);
        out = std::make_unique_for_overwrite<uint8_t[]>(outSize);
    }
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(g.idat.data());
    z.avail_in = static_cast<uInt>(g.idat.size());
    z.next_out = out.get();
    z.avail_out = static_cast<uInt>(InflatedSize(g));
    const int result = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    Check(result == Z_STREAM_END, "zlib");
}

void DecodeOurs(const Bytes& png, const Geometry&) {
    TPngPicture picture;
    MemoryReadStream stream(png);
    picture.LoadFromStream(stream);
}

struct LibpngSource {
    const Bytes* png;
    size_t at;
};

void DecodeLibpng(const Bytes& png, const Geometry& g) {
    png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(p);
    LibpngSource source{&png, 0};
    png_set_read_fn(p, &source, [](png_structp ps, png_bytep out, png_size_t n) {
        auto* s = static_cast<LibpngSource*>(png_get_io_ptr(ps));
        std::memcpy(out, s->png->data() + s->at, n);
        s->at += n;
    });
    png_read_info(p, info);
    if (g.interlace) png_set_interlace_handling(p);
    png_read_update_info(p, info);
    const size_t rowBytes = png_get_rowbytes(p, info);
    // Fresh output for every decode, as every decoder here allocates its own.
    const auto out = std::make_unique_for_overwrite<uint8_t[]>(rowBytes * g.height);
    std::vector<png_bytep> rows(g.height);
    for (uint32_t y = 0; y < g.height; ++y) rows[y] = out.get() + y * rowBytes;
    png_read_image(p, rows.data());
    png_read_end(p, nullptr);
    png_destroy_read_struct(&p, &info, nullptr);
}

void DecodeSpng(const Bytes& png, const Geometry&) {
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, png.data(), png.size());
    size_t size = 0;
    Check(spng_decoded_image_size(ctx, SPNG_FMT_PNG, &size) == 0, "libspng size");
    const auto out = std::make_unique_for_overwrite<uint8_t[]>(size);
    Check(spng_decode_image(ctx, out.get(), size, SPNG_FMT_PNG, 0) == 0, "libspng");
    spng_ctx_free(ctx);
}

void DecodeStb(const Bytes& png, const Geometry& g) {
    int w = 0, h = 0, n = 0;
    void* out = g.depth == 16 ? static_cast<void*>(stbi_load_16_from_memory(png.data(), int(png.size()), &w, &h, &n, 0))
                              : static_cast<void*>(stbi_load_from_memory(png.data(), int(png.size()), &w, &h, &n, 0));
    Check(out != nullptr, "stb_image");
    stbi_image_free(out);
}

void DecodeLodepng(const Bytes& png, const Geometry&) {
    LodePNGState state;
    lodepng_state_init(&state);
    state.decoder.color_convert = 0;  // native format
    state.decoder.ignore_crc = 0;
    unsigned char* out = nullptr;
    unsigned w = 0, h = 0;
    Check(lodepng_decode(&out, &w, &h, &state, png.data(), png.size()) == 0, "lodepng");
    std::free(out);
    lodepng_state_cleanup(&state);
}

const Decoder kDecoders_[] = {
    {"zlib alone", DecodeZlibAlone}, {"Quorvane", DecodeOurs}, {"libpng", DecodeLibpng},
    {"libspng", DecodeSpng},         {"stb_image", DecodeStb}, {"lodepng", DecodeLodepng},
};

// The processor time of this thread, the kernel's work for it included (page
// faults, zeroing of fresh pages): unlike the wall clock, it leaves out the
// time other programs on a shared machine take.
double ThreadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Medians over rounds in which every decoder decodes the image once, so a
// busy moment of the shared machine falls on all of them alike.
std::vector<double> MedianMs(const Image& image, const Geometry& g) {
    using Clock = std::chrono::steady_clock;
    constexpr size_t kDecoders = std::size(kDecoders_);
    std::vector<std::vector<double>> times(kDecoders);
    for (const Decoder& d : kDecoders_) d.decode(image.png, g);  // warm up
    const auto start = Clock::now();
    for (size_t round = 0; round < 7 || (round < 41 && Clock::now() - start < std::chrono::seconds(3)); ++round) {
        for (size_t k = 0; k < kDecoders; ++k) {
            const double t0 = ThreadMs();
            kDecoders_[k].decode(image.png, g);
            times[k].push_back(ThreadMs() - t0);
        }
    }
    std::vector<double> medians;
    for (auto& t : times) {
        std::nth_element(t.begin(), t.begin() + t.size() / 2, t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

Bytes ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    Check(static_cast<bool>(in), "reading the logo");
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--once") == 0) {
        const Bytes logo = ReadFile(argv[3]);
        const Geometry g = Parse(logo);
        for (const Decoder& d : kDecoders_) {
            if (d.name == std::string(argv[2])) {
                d.decode(logo, g);
                return 0;
            }
        }
        return 2;
    }
    const bool write = argc == 4 && std::strcmp(argv[1], "--write") == 0;
    if (argc != 2 && !write) {
        std::fprintf(stderr, "usage: png_bench LOGO.png | --once DECODER FILE.png | --write LOGO.png DIR\n");
        return 2;
    }
    std::vector<Image> images;
    images.push_back({"logo 400 x 400 RGBA", ReadFile(argv[write ? 2 : 1]), 400 * 400 * 4});
    images.push_back(MakeImage("photo 1920 x 1080 RGB", 1920, 1080, 2, 8, false));
    images.push_back(MakeImage("4000 x 3000 RGB", 4000, 3000, 2, 8, false));
    images.push_back(MakeImage("4000 x 3000 RGBA", 4000, 3000, 6, 8, false));
    images.push_back(MakeImage("4000 x 3000 RGB Adam7", 4000, 3000, 2, 8, true));
    images.push_back(MakeImage("palette 1920 x 1080", 1920, 1080, 3, 8, false));
    images.push_back(MakeImage("16-bit RGB 1920 x 1080", 1920, 1080, 2, 16, false));

    if (write) {
        for (size_t i = 0; i < images.size(); ++i) {
            std::ofstream out(std::string(argv[3]) + "/image" + std::to_string(i) + ".png", std::ios::binary);
            out.write(reinterpret_cast<const char*>(images[i].png.data()), std::streamsize(images[i].png.size()));
        }
        return 0;
    }
    std::printf("| image | decoder | median ms | MB/s | x zlib alone |\n|---|---|---:|---:|---:|\n");
    for (const Image& image : images) {
        const Geometry g = Parse(image.png);
        const std::vector<double> ms = MedianMs(image, g);
        for (size_t k = 0; k < ms.size(); ++k) {
            std::printf("| %s | %s | %.2f | %.0f | %.2f |\n", image.name.c_str(), kDecoders_[k].name, ms[k],
                        image.rawBytes / 1e3 / ms[k], ms[k] / ms[0]);  // the first is zlib alone
        }
        std::fflush(stdout);
    }
    return 0;
}
