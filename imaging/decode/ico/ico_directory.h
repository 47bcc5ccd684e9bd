#pragma once
// The directory at the start of an icon (ICO) or cursor (CUR) file: one
// entry per picture, each naming where its data lies. An entry's data is
// a PNG file or a device-independent bitmap whose height counts its
// colour rows and its transparency mask together.

#include "imaging/core/status.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace imaging::decode::ico {

struct IcoEntry {
    int width = 0;   // as the directory states it (a 0 byte means 256)
    int height = 0;
    std::uint32_t offset = 0;  // of the entry's data in the file
    std::uint32_t size = 0;    // as the directory states it; not trusted
};

struct IcoDirectory {
    bool cursor = false;
    std::vector<IcoEntry> entries;
};

// True when the first bytes are an icon or cursor directory header with
// at least one entry whose fields are plausible; `head` may be short.
bool LooksLikeIcoDirectory(const QByteArray& head);

// Reads and checks the directory of the whole `file`: UnknownImageFormat
// when it is no icon or cursor, GenericError when an entry's data lies
// outside the file or overlaps the directory.
Status ReadIcoDirectory(const QByteArray& file, IcoDirectory& directory);

}  // namespace imaging::decode::ico
