// The PngSuite against a checked-in approval file: for every image its size,
// outcome (or failure class), transparency mode and a hash of its pixels as
// RGBA. The native build checks the same pixels against libpng; this file
// makes the Windows build (under Wine) prove it decodes exactly alike.
// QUORVANE_WRITE_APPROVED=1 rewrites the file after a reviewed change.
#include "image/png_blend.h"
#include "png_test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

using namespace pngtest;

std::string Describe(const std::string& name) {
    const Bytes bytes = ReadFileBytes(std::string(QUORVANE_PNGSUITE_DIR) + "/" + name);
    std::ostringstream line;
    line << name << ' ';
    TPngPicture picture;
    try {
        Load(picture, bytes);
    } catch (const EPngFailure& failure) {
        line << "- - " << failure.ClassName();
        return line.str();
    }
    static const char* const kModes[] = {"none", "bit", "partial"};
    uint64_t hash = 14695981039346656037u;  // FNV-1a over the RGBA bytes
    for (uint8_t b : PictureToRgba(picture)) hash = (hash ^ b) * 1099511628211u;
    line << picture.Width() << ' ' << picture.Height() << ' ' << kModes[static_cast<int>(picture.TransparencyMode())]
         << ' ' << std::hex << hash;
    return line.str();
}

TEST(PngSuiteApproval, EveryImageMatchesItsApprovedOutcome) {
    const std::string path = std::string(QUORVANE_PNG_TEST_DIR) + "/pngsuite_approved.txt";
    const Bytes file = ReadFileBytes(path);
    std::istringstream approved(std::string(file.begin(), file.end()));
    std::string expected;
    std::string rewritten;
    int images = 0;
    while (std::getline(approved, expected)) {
        if (expected.empty()) continue;
        const std::string name = expected.substr(0, expected.find(' '));
        const std::string actual = Describe(name);
        EXPECT_EQ(actual, expected);
        rewritten += actual + "\n";
        ++images;
    }
    EXPECT_GE(images, 175);
    if (std::getenv("QUORVANE_WRITE_APPROVED")) {
        std::ofstream(path, std::ios::binary) << rewritten;
    }
}

}  // namespace
