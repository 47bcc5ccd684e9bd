#pragma once
// The colour of the pixels libjxl delivers. A picture stored in its own
// colour space comes out in it; one stored as XYB (lossy coding) comes
// out in the colour space its header names, or, where the header carries
// an ICC profile instead, in sRGB (libjxl would pick linear sRGB, which
// eight bits a sample cannot hold without banding).

#include <QByteArray>

#include <jxl/decode.h>

namespace imaging::decode::jxl {

// Call at JXL_DEC_COLOR_ENCODING, before asking for the pixels' profile.
// `grey`: the picture has one colour channel.
void ChooseOutputColour(JxlDecoder* decoder, bool usesOriginalProfile, bool grey);

// The file's own profile, as stored or as libjxl synthesises it from the
// header's colour encoding.
QByteArray OriginalProfile(JxlDecoder* decoder);

// The ICC profile of the pixels as delivered; empty when they are sRGB
// (or grey with sRGB's curve), so they convert exactly as untagged
// pictures, and when their curve is PQ or HLG, which a profile into sRGB
// cannot render faithfully (they are then taken as sRGB).
QByteArray PixelProfile(JxlDecoder* decoder);

}  // namespace imaging::decode::jxl
