#include "image/png_failures.h"

#include <iterator>

namespace {

struct KindText {
    const char* className;
    const char* message;
};

// Indexed by PngFailureKind. The texts are the program's fixed wording,
// spelling included.
constexpr KindText kKindTexts[] = {
    {"EPngInvalidFileHeader",
     "The file being readed is not a valid \"Portable Network Graphics\" image because it "
     "contains an invalid header. This file may be corruped, try obtaining it again."},
    {"EPngUnexpectedEnd",
     "This \"Portable Network Graphics\" image is invalid because the decoder found an "
     "unexpected end of the file."},
    {"EPngIHDRNotFirst",
     "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
     "(IHDR chunk is not the first)"},
    {"EPngInvalidIHDR",
     "The \"Portable Network Graphics\" image could not be loaded because one of its main "
     "piece of data (ihdr) might be corrupted"},
    {"EPngSizeExceeds",
     "This \"Portable Network Graphics\" image is not supported because either it's width or "
     "height exceeds the maximum size, which is 65535 pixels length."},
    {"EPngUnknownCompression",
     "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme "
     "which could not be decoded."},
    {"EPngUnknownInterlace",
     "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could "
     "not be decoded."},
    {"EPngInvalidPalette", "The \"Portable Network Graphics\" image contains an invalid palette."},
    {"EPngMissingMultipleIDAT",
     "This \"Portable Network Graphics\" image is invalid because it has missing image parts."},
    {"EPngZLIBError",
     "Could not decompress the image because it contains invalid compressed data.\r\n"
     " Description: "},
    {"EPngNoImageData", "This \"Portable Network Graphics\" image contains no data."},
    {"EPngError", "There is no such palette entry."},
    {"EPngHeaderNotPresent",
     "This operation is not valid because the current image contains no valid header."},
    {"EPngOutMemory",
     "Some operation could not be performed because the system is out of resources. Close "
     "some windows and try again."},
};
static_assert(std::size(kKindTexts) == static_cast<size_t>(PngFailureKind::OutMemory) + 1);

}  // namespace

const char* PngFailureMessage(PngFailureKind kind) {
    return kKindTexts[static_cast<size_t>(kind)].message;
}

const char* PngFailureClassName(PngFailureKind kind) {
    return kKindTexts[static_cast<size_t>(kind)].className;
}

namespace {

// zlib's results -6 to 2; a preset dictionary (2) no picture can supply.
std::string ZlibResultText(int result) {
    constexpr const char* kTexts[] = {"incompatible version", "buffer error", "insufficient memory", "data error",
                                      "stream error", "file error", nullptr, nullptr, "need dictionary"};
    const char* text = result >= -6 && result <= 2 ? kTexts[result + 6] : nullptr;
    return std::string(text ? text : "unknown error") + " (" + std::to_string(result) + ")";
}

}  // namespace

EPngZLIBError::EPngZLIBError(int result)
    : EPngFailure(PngFailureKind::ZLIBError,
                  std::string(PngFailureMessage(PngFailureKind::ZLIBError)) + ZlibResultText(result)) {}
