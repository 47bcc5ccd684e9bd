#pragma once
// Finding an encoder's class identifier by its MIME type.

#include "imaging/gdiplus/gdiplus.h"

#include <QString>

#include <functional>

namespace imaging {

// Where the encoder list comes from: the service's two list operations by
// default; tests put in lists of their own.
struct EncoderListSource {
    std::function<Status(std::uint32_t*, std::uint32_t*)> size = GdipGetImageEncodersSize;
    std::function<Status(std::uint32_t, std::uint32_t, ImageCodecInfo*)> fill = GdipGetImageEncoders;
};

// The index of the first encoder whose MIME type equals `mimeType` exactly
// (letter case counts), its class identifier copied to *clsid; -1 and
// *clsid untouched when the list is empty or has no such encoder.
int GetEncoderClsid(const QString& mimeType, CLSID* clsid, const EncoderListSource& source);
int GetEncoderClsid(const QString& mimeType, CLSID* clsid);

}  // namespace imaging
