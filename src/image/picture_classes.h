// Pictures stored with a window: the picture class's name as a length-prefixed
// string (one length byte, then the characters), then the picture's own data.
// The loader finds the class among the registered ones, the latest
// registration first, by exact comparison of the name.
#pragma once

#include "image/png_stream.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Base of the picture classes the loader can create.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual void LoadFromStream(MemoryReadStream& stream) = 0;
};

struct PictureClass {
    std::string className;  // as the stored data names it: "TPngPicture"
    std::function<std::unique_ptr<TGraphic>()> create;
};

class PictureClassRegistry {
public:
    void Register(PictureClass pictureClass) { classes_.push_back(std::move(pictureClass)); }
    const PictureClass* Find(const std::string& className) const;

private:
    std::vector<PictureClass> classes_;
};

// Reads a stored picture. A name without a registered class gives no picture
// (nullptr), silently; a failure of the picture's own load passes on and the
// half-loaded picture is discarded.
std::unique_ptr<TGraphic> LoadStoredPicture(const PictureClassRegistry& registry, MemoryReadStream& stream);
