#pragma once
// Recognising a metafile by its first bytes and reading what its header
// says: which kind it is, the picture's size in pixels and its resolution,
// and how the metafile's device units map onto that bitmap.

#include "imaging/core/status.h"

#include <QByteArray>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <cstdint>
#include <optional>

namespace imaging::metafile {

enum class MetafileKind { Emf, PlaceableWmf, StandardWmf };

struct MetafileInfo {
    MetafileKind kind = MetafileKind::Emf;
    int width = 0;  // pixels
    int height = 0;
    float dpiX = 96;
    float dpiY = 96;
    QTransform deviceToBitmap;  // metafile device units -> bitmap pixels
    QSizeF devicePixelsPerMm;   // device units per millimetre
    QRectF wmfBounds;           // WMF: the logical rectangle the picture shows
    std::size_t firstRecord = 0;    // offset of the first record after the header(s)
    std::uint32_t objectCount = 0;  // object table size the header asks for
};

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// True when the bytes start like a placeable WMF, a standard WMF or an EMF.
bool LooksLikeMetafileBytes(const QByteArray& firstBytes);

// Reads the header(s) and walks the record chain once, so that a file
// whose records run past its end is refused here. `error` says why on
// failure.
std::optional<MetafileInfo> ProbeMetafile(const QByteArray& file, Status& error);

}  // namespace imaging::metafile
