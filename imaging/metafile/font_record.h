#pragma once
// The fixed fields at the start of a LOGFONT as both metafile formats store
// it: EMF with 32-bit numbers, WMF with 16-bit ones, the same order in each.
// The face name that follows differs (UTF-16 or ANSI) and is left to the
// player.

#include "imaging/metafile/byte_reader.h"
#include "imaging/metafile/gdi_objects.h"

namespace imaging::metafile {

// Reads up to the face name; `r.failed()` tells whether the fields were all there.
inline Font ReadFontFields(ByteReader& r, bool wide) {
    auto number = [&r, wide]() -> int { return wide ? r.I32() : r.I16(); };
    Font font;
    font.height = number();
    font.width = number();
    font.escapement = number();
    number();  // orientation: the baseline's angle alone decides
    font.weight = number();
    font.italic = r.U8() != 0;
    font.underline = r.U8() != 0;
    font.strikeOut = r.U8() != 0;
    font.charSet = r.U8();
    r.Skip(4);  // precisions, quality, pitch and family
    return font;
}

}  // namespace imaging::metafile
