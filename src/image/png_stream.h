// The small stream interface the picture classes read from, and the
// in-memory stream the program and its tools use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Copies up to `count` bytes into `buffer` and returns how many it copied;
    // 0 means the stream has nothing more.
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Up to `count` bytes in place, counted as read, for a reader that would
    // only pass them on (the inflater): valid while the stream's memory is.
    // Empty when the stream has nothing more or cannot lend; Read then tells.
    virtual std::span<const uint8_t> Lend(size_t /*count*/) { return {}; }
};

// Reads until `count` bytes or the stream's end; returns how many it got.
inline size_t ReadFully(ByteStream& stream, void* buffer, size_t count) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        const size_t got = stream.Read(bytes + done, count - done);
        if (got == 0) break;
        done += got;
    }
    return done;
}

// Reads and drops up to `count` bytes.
inline void SkipBytes(ByteStream& stream, uint64_t count) {
    uint8_t piece[4096];
    while (count > 0) {
        const size_t want = count < sizeof piece ? static_cast<size_t>(count) : sizeof piece;
        const size_t got = stream.Read(piece, want);
        if (got == 0) return;
        count -= got;
    }
}

// Reads a block of memory the caller keeps alive.
class MemoryReadStream : public ByteStream {
public:
    explicit MemoryReadStream(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t Read(void* buffer, size_t count) override {
        const std::span<const uint8_t> bytes = Lend(count);
        if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
        return bytes.size();
    }
    std::span<const uint8_t> Lend(size_t count) override {
        const size_t n = count < bytes_.size() - position_ ? count : bytes_.size() - position_;
        position_ += n;
        return bytes_.subspan(position_ - n, n);
    }

private:
    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};
