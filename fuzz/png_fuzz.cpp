// libFuzzer target: any bytes through LoadFromStream, then what Draw does
// with the picture (blend or stretch) into a small buffer, and its pixels at
// its own size when small. A failure kind is a fine outcome; a crash, a
// sanitizer report, a hang or runaway memory is not.
#include "image/png_blend.h"
#include "image/png_failures.h"
#include "png_pixels.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPngPicture picture;
    try {
        MemoryReadStream stream({data, size});
        picture.LoadFromStream(stream);
    } catch (const EPngFailure&) {
        return 0;
    }
    uint8_t pixels[23 * 17 * 4] = {};
    DrawPictureToBuffer(picture, pixels, 23, 17);
    BlendPicture(picture, pixels, 17, 23);
    if (uint64_t{picture.Width()} * picture.Height() <= 4096) (void)PictureToRgba(picture);
    (void)picture.TransparentColor();
    return 0;
}
