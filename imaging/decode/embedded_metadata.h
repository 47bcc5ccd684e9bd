#pragma once
// What a picture file carries besides its pixels and what a later colour or
// metadata step may want from it: the colour profile and the Exif and XMP
// blocks, as the file stores them. Empty where the file has none.

#include <QByteArray>

#include <optional>

namespace imaging::decode {

// A colour space named by its code points (ITU-T H.273) instead of an ICC
// profile, as HEIF's nclx colour box states it.
struct CodedColourSpace {
    int colourPrimaries = 2;  // 2 = unspecified
    int transferCharacteristics = 2;
    int matrixCoefficients = 2;
    bool fullRange = true;
};

struct EmbeddedMetadata {
    QByteArray iccProfile;                // raw ICC profile ("prof"/"rICC" or JPEG XL's)
    std::optional<CodedColourSpace> nclx;  // HEIF's nclx box, when present
    QByteArray exif;                       // a TIFF structure ("II*\0" / "MM\0*" first)
    QByteArray xmp;                        // the XMP packet
};

}  // namespace imaging::decode
