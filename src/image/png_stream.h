// The bytes a picture is read from: a block of memory the caller keeps alive
// (the stored resource, a file read whole), read front to back.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

class MemoryReadStream {
public:
    explicit MemoryReadStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    // A view of the next `count` bytes (fewer at the end), counted as read.
    std::span<const uint8_t> Take(size_t count) {
        const size_t n = std::min(count, bytes_.size() - position_);
        position_ += n;
        return bytes_.subspan(position_ - n, n);
    }
    // Copies up to `count` bytes into `buffer`; returns how many it copied.
    size_t Read(void* buffer, size_t count) {
        const std::span<const uint8_t> bytes = Take(count);
        if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
        return bytes.size();
    }

private:
    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};
