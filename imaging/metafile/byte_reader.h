#pragma once
// A bounded little-endian reader over a span of bytes. Every metafile record
// is read through one of these, so no field can be read past the end of its
// record: a read that would cross the end returns 0 and sets the reader's
// failed flag, which the players check before acting on what they read.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace imaging::metafile {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t size() const { return size_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return pos_ <= size_ ? size_ - pos_ : 0; }
    bool failed() const { return failed_; }
    const std::uint8_t* data() const { return data_; }

    void Seek(std::size_t pos) {
        if (pos > size_) {
            failed_ = true;
            pos_ = size_;
        } else {
            pos_ = pos;
        }
    }
    void Skip(std::size_t n) {
        if (n > remaining()) {
            failed_ = true;
            pos_ = size_;
        } else {
            pos_ += n;
        }
    }

    std::uint8_t U8() { return Read<std::uint8_t>(); }
    std::uint16_t U16() { return Read<std::uint16_t>(); }
    std::int16_t I16() { return static_cast<std::int16_t>(Read<std::uint16_t>()); }
    std::uint32_t U32() { return Read<std::uint32_t>(); }
    std::int32_t I32() { return static_cast<std::int32_t>(Read<std::uint32_t>()); }
    float F32() {
        const std::uint32_t bits = U32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // True when `count` items of `itemSize` bytes fit in what remains, with
    // the multiplication itself checked.
    bool Has(std::size_t count, std::size_t itemSize) const {
        if (itemSize != 0 && count > remaining() / itemSize) return false;
        return true;
    }

    // A sub-reader over [offset, offset + length) of this reader's bytes,
    // or an empty failed reader when that range is not inside.
    ByteReader Slice(std::size_t offset, std::size_t length) const {
        if (offset > size_ || length > size_ - offset) {
            ByteReader bad;
            bad.failed_ = true;
            return bad;
        }
        return ByteReader(data_ + offset, length);
    }

private:
    template <typename T>
    T Read() {
        if (sizeof(T) > remaining()) {
            failed_ = true;
            pos_ = size_;
            return 0;
        }
        T value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(data_[pos_ + i]) << (8 * i));
        pos_ += sizeof(T);
        return value;
    }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

// A reader over the whole of `bytes`, which must outlive it.
inline ByteReader Reader(const QByteArray& bytes) {
    return ByteReader(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
}

}  // namespace imaging::metafile
