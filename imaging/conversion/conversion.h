#pragma once
// One conversion of a picture's active frame into a JPEG file, through the
// imaging service's operations, in this order: measure the picture; make a
// 24-bit bitmap of the output size carrying the picture's horizontal
// resolution on both axes; draw the frame into it with high-quality bicubic
// scaling; stamp the overlay text; rotate and flip; save as JPEG with the
// quality. The caller (the converter dialog, the command line) has read and
// checked its inputs and shows the messages; the result says which steps
// failed so it can show each at its moment.
//
// Colours: a picture tagged with an ICC profile is turned into sRGB
// (unless asked otherwise), on the output's pixels after scaling when the
// output is smaller, on the picture's frame before scaling when it is
// larger. Metadata: the source's EXIF, XMP and IPTC go into the output as
// the metadata policy chooses (metadata/output_metadata.h).

#include "imaging/core/colorref.h"
#include "imaging/core/logfont.h"
#include "imaging/gdiplus/gdiplus.h"
#include "imaging/metadata/output_metadata.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace imaging {

// What becomes of a picture's embedded colour profile.
enum class ColourHandling {
    ConvertToSrgb,  // pixels into sRGB; the output is untagged sRGB
    KeepProfile,    // pixels as they are, the profile embedded unchanged
    Untouched,      // pixels as they are, no profile: as if it had none
};

struct ConversionInput {
    GpImage* picture = nullptr;  // its active frame is converted
    int outputWidth = 0;         // before rotation
    int outputHeight = 0;
    QString overlayText;         // empty: no text
    int textX = 0;               // top-left of the text, already checked
    int textY = 0;               // against the output size
    LOGFONTW overlayFont;
    COLORREF overlayColor = 0;
    int rotateAngle = 0;         // 0, 90, 180, 270
    int flipType = 0;            // 0 none, 1 horizontal, 2 vertical
    std::uint32_t quality = 75;  // handed to the encoder unchanged
    QString outputPath;
    ColourHandling colour = ColourHandling::ConvertToSrgb;
    metadata::MetadataPolicy metadata = metadata::MetadataPolicy::Descriptive;
};

// How a run ended.
enum class ConversionOutcome {
    Saved,
    WidthInvalid,   // the output width is not above 0; nothing was done
    HeightInvalid,  // the output height is not above 0; nothing was done
    DrawFailed,     // the frame could not be drawn; nothing was written
    SaveFailed,     // the JPEG could not be written; no file was left
};

// Failures after which a run goes on.
enum class ConversionNotice {
    ResolutionFailed,     // the bitmap's resolution could not be set
    InterpolationFailed,  // no surface, or its interpolation mode not set
    UnknownAngle,         // the angle is not 0, 90, 180 or 270: not turned
    RotateFlipFailed,
};

struct ConversionResult {
    ConversionOutcome outcome = ConversionOutcome::DrawFailed;
    std::vector<ConversionNotice> notices;  // in the order they happened

    bool saved() const { return outcome == ConversionOutcome::Saved; }
    bool has(ConversionNotice n) const;
};

// Runs a conversion. `onNotice`, when given, hears each go-on failure the
// moment it happens (a dialog shows its message box then).
ConversionResult ConvertPicture(const ConversionInput& input,
                                const std::function<void(ConversionNotice)>& onNotice = {});

// The rotate-flip value for an angle and a flip type; none for an angle
// other than 0, 90, 180 or 270. An unknown flip type counts as no flip.
std::optional<RotateFlipType> RotateFlipFor(int rotateAngle, int flipType);

}  // namespace imaging
