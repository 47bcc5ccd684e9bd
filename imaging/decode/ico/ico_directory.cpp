#include "imaging/decode/ico/ico_directory.h"

namespace imaging::decode::ico {
namespace {

constexpr int kHeaderBytes = 6;
constexpr int kEntryBytes = 16;
// More entries than any icon holds; a larger count is a damaged header.
constexpr int kMaxEntries = 1024;

std::uint16_t Le16(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8));
}

std::uint32_t Le32(const QByteArray& b, qsizetype at) {
    return Le16(b, at) | (static_cast<std::uint32_t>(Le16(b, at + 2)) << 16);
}

int Count(const QByteArray& b) { return b.size() >= kHeaderBytes ? Le16(b, 4) : 0; }

bool HeaderOk(const QByteArray& b) {
    if (b.size() < kHeaderBytes || Le16(b, 0) != 0) return false;
    const std::uint16_t type = Le16(b, 2);
    return (type == 1 || type == 2) && Count(b) >= 1 && Count(b) <= kMaxEntries;
}

IcoEntry EntryAt(const QByteArray& b, int index) {
    const qsizetype at = kHeaderBytes + static_cast<qsizetype>(index) * kEntryBytes;
    IcoEntry e;
    const auto side = [](char c) { return c == 0 ? 256 : static_cast<std::uint8_t>(c); };
    e.width = side(b[at]);
    e.height = side(b[at + 1]);
    e.size = Le32(b, at + 8);
    e.offset = Le32(b, at + 12);
    return e;
}

std::uint32_t DirectoryEnd(const QByteArray& b) {
    return static_cast<std::uint32_t>(kHeaderBytes + Count(b) * kEntryBytes);
}

}  // namespace

// The first entry must be whole in `head` and point past the directory:
// a TGA file can start with the same four bytes, but not with this.
bool LooksLikeIcoDirectory(const QByteArray& head) {
    if (!HeaderOk(head) || head.size() < kHeaderBytes + kEntryBytes) return false;
    const IcoEntry first = EntryAt(head, 0);
    return first.size != 0 && first.offset >= DirectoryEnd(head);
}

Status ReadIcoDirectory(const QByteArray& file, IcoDirectory& directory) {
    directory = IcoDirectory{};
    if (!LooksLikeIcoDirectory(file)) return Status::UnknownImageFormat;
    const std::uint32_t end = DirectoryEnd(file);
    if (end > static_cast<std::uint64_t>(file.size())) return Status::GenericError;
    directory.cursor = Le16(file, 2) == 2;
    for (int i = 0; i < Count(file); ++i) {
        const IcoEntry e = EntryAt(file, i);
        // Room for at least the PNG signature or a bitmap header's size field.
        if (e.offset < end || static_cast<std::uint64_t>(e.offset) + 8 > static_cast<std::uint64_t>(file.size()))
            return Status::GenericError;
        directory.entries.push_back(e);
    }
    return Status::Ok;
}

}  // namespace imaging::decode::ico
