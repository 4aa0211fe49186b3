#include "image/picture_classes.h"

const PictureClass* PictureClassRegistry::Find(const std::string& className) const {
    for (auto it = classes_.rbegin(); it != classes_.rend(); ++it) {
        if (it->className == className) return &*it;
    }
    return nullptr;
}

std::unique_ptr<TGraphic> LoadStoredPicture(const PictureClassRegistry& registry, MemoryReadStream& stream) {
    uint8_t length = 0;
    if (stream.Read(&length, 1) != 1) return nullptr;
    std::string name(length, '\0');
    if (stream.Read(name.data(), length) != length) return nullptr;
    const PictureClass* pictureClass = registry.Find(name);
    if (!pictureClass) return nullptr;
    std::unique_ptr<TGraphic> picture = pictureClass->create();
    picture->LoadFromStream(stream);
    return picture;
}
