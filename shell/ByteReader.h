#pragma once
// Reading untrusted bytes (WAV chunks, KALO files, screen files): every access
// is checked against the end, and running out is remembered instead of read
// past. Sizes taken from a file are never trusted: take() hands back at most
// what is there and clears ok() when that is less than asked for.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// A non-owning view of bytes; the owner keeps them alive while it is used.
struct ByteView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;

    ByteView() = default;
    ByteView(const std::uint8_t* bytes, std::size_t count) : data(count ? bytes : nullptr), size(count) {}
    template <typename Container>
    explicit ByteView(const Container& bytes) : ByteView(bytes.data(), bytes.size()) {}

    bool empty() const { return size == 0; }
    std::uint8_t operator[](std::size_t index) const { return data[index]; }
    // The bytes from `offset` on, at most `count` of them (empty beyond the end).
    ByteView sub(std::size_t offset, std::size_t count = static_cast<std::size_t>(-1)) const {
        if (offset >= size) return {};
        return ByteView(data + offset, count < size - offset ? count : size - offset);
    }
};

class ByteReader {
  public:
    explicit ByteReader(ByteView bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return position_; }
    std::size_t remaining() const { return bytes_.size - position_; }
    bool atEnd() const { return position_ >= bytes_.size; }

    std::uint8_t u8() {
        if (!need(1)) return 0;
        return bytes_[position_++];
    }
    std::uint16_t u16le() {
        if (!need(2)) return 0;
        std::uint16_t value = static_cast<std::uint16_t>(bytes_[position_] | bytes_[position_ + 1] << 8);
        position_ += 2;
        return value;
    }
    std::uint32_t u32le() {
        if (!need(4)) return 0;
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | bytes_[position_ + i];
        position_ += 4;
        return value;
    }
    // True when the next bytes are exactly `tag` (consumed then); false leaves the position.
    bool tag(std::string_view expected) {
        if (remaining() < expected.size() || std::memcmp(bytes_.data + position_, expected.data(), expected.size()) != 0)
            return false;
        position_ += expected.size();
        return true;
    }
    // The next `count` bytes; fewer when the data end first (ok() is cleared then).
    ByteView take(std::size_t count) {
        ByteView part = bytes_.sub(position_, count);
        if (part.size < count) ok_ = false;
        position_ += part.size;
        return part;
    }
    void skip(std::size_t count) { take(count); }

  private:
    bool need(std::size_t count) {
        if (remaining() >= count) return true;
        ok_ = false;
        position_ = bytes_.size;
        return false;
    }

    ByteView bytes_;
    std::size_t position_ = 0;
    bool ok_ = true;
};
