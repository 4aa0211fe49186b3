// pngdump: decodes a PNG with the program's decoder and writes it as PAM.
//   pngdump FILE OUT.pam
//       the picture at its own size, RGB_ALPHA, top row first
//   pngdump --draw W H RRGGBB FILE OUT.pam
//       the picture drawn, as Draw does for its transparency mode, into a
//       W x H rectangle over a solid background RRGGBB (hex)
// On a failure: the failure's class name and message on standard error, exit 1.
#include "image/png_failures.h"
#include "png_pixels.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: pngdump FILE OUT.pam\n"
                         "       pngdump --draw W H RRGGBB FILE OUT.pam\n");
    return 2;
}

bool ParseSize(const char* text, uint32_t& value) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(text, &end, 10);
    if (end == text || *end != '\0' || v == 0 || v > 65535) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool ParseColor(const char* text, uint32_t& rgb) {
    if (std::strlen(text) != 6) return false;
    char* end = nullptr;
    rgb = static_cast<uint32_t>(std::strtoul(text, &end, 16));
    return *end == '\0';
}

bool WritePam(const char* path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba) {
    std::ofstream out(path, std::ios::binary);
    out << "P7\nWIDTH " << width << "\nHEIGHT " << height
        << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    out.write(reinterpret_cast<const char*>(rgba.data()), static_cast<std::streamsize>(rgba.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    const bool draw = argc == 7 && std::strcmp(argv[1], "--draw") == 0;
    if (!draw && argc != 3) return Usage();
    uint32_t width = 0, height = 0, background = 0;
    if (draw && (!ParseSize(argv[2], width) || !ParseSize(argv[3], height) || !ParseColor(argv[4], background))) {
        return Usage();
    }
    if (draw && uint64_t{width} * height * 4 > PngStorage::kMaxBytes) {
        std::fprintf(stderr, "pngdump: %u x %u is more than the drawing buffer may take\n", width, height);
        return 2;
    }
    const char* input = argv[draw ? 5 : 1];
    const char* output = argv[draw ? 6 : 2];

    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "pngdump: cannot read %s\n", input);
        return 2;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    TPngPicture picture;
    try {
        MemoryReadStream stream(bytes);
        picture.LoadFromStream(stream);
    } catch (const EPngFailure& failure) {
        std::fprintf(stderr, "%s: %s\n", failure.ClassName(), failure.what());
        return 1;
    }

    std::vector<uint8_t> rgba;
    if (!draw) {
        width = picture.Width(), height = picture.Height();
        rgba = PictureToRgba(picture);
    } else {
        std::vector<uint8_t> bgrx(size_t{width} * height * 4);
        for (size_t i = 0; i < bgrx.size(); i += 4) {
            bgrx[i] = static_cast<uint8_t>(background);
            bgrx[i + 1] = static_cast<uint8_t>(background >> 8);
            bgrx[i + 2] = static_cast<uint8_t>(background >> 16);
        }
        DrawPictureToBuffer(picture, bgrx.data(), width, height);
        rgba.resize(bgrx.size());
        for (size_t i = 0; i < bgrx.size(); i += 4) {
            rgba[i] = bgrx[i + 2], rgba[i + 1] = bgrx[i + 1], rgba[i + 2] = bgrx[i], rgba[i + 3] = 255;
        }
    }
    if (!WritePam(output, width, height, rgba)) {
        std::fprintf(stderr, "pngdump: cannot write %s\n", output);
        return 2;
    }
    return 0;
}
