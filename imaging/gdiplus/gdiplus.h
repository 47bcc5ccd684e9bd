#pragma once
// The imaging service: decoding, frames, measuring, drawing surfaces,
// high-quality scaling, text, rotation and flipping, and JPEG encoding. Every
// operation returns a Status; Ok (0) is success. An object whose creation
// failed still exists: every later operation on it (or on a surface made on
// it) fails, and its sizes and resolutions read 0.
//
// Objects are owned by std::unique_ptr; the "Dispose"/"Delete" operations
// of the classic interface are the pointers' destructors.

#include "imaging/core/guid.h"
#include "imaging/core/logfont.h"
#include "imaging/core/picture_source.h"
#include "imaging/core/status.h"
#include "imaging/rotate/rotate_flip.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

namespace imaging {

enum class InterpolationMode : int {
    Default = 0,
    LowQuality = 1,
    HighQuality = 2,
    Bilinear = 3,
    Bicubic = 4,
    NearestNeighbor = 5,
    HighQualityBilinear = 6,
    HighQualityBicubic = 7,
};

enum class Unit : int { World = 0, Display = 1, Pixel = 2, Point = 3, Inch = 4, Document = 5, Millimeter = 6 };

using PixelFormat = std::int32_t;
constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;

using ARGB = std::uint32_t;

struct RectF {
    float X, Y, Width, Height;
};

struct GdiplusStartupInput {
    std::uint32_t GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    bool SuppressBackgroundThread = false;
    bool SuppressExternalCodecs = false;
};

struct ImageCodecInfo {
    CLSID Clsid;
    GUID FormatID;
    QString CodecName;
    QString FormatDescription;
    QString FilenameExtension;
    QString MimeType;
};

enum class EncoderParameterValueType : int { Long = 4 };

struct EncoderParameter {
    GUID Guid;
    std::uint32_t NumberOfValues;
    EncoderParameterValueType Type;
    const void* Value;
};

struct EncoderParameters {
    std::uint32_t Count;
    EncoderParameter Parameter[1];
};

// The objects are complete types so that their owners can hold them in
// std::unique_ptr and pass a bitmap wherever a picture is expected; their
// contents are private to the service (imaging/gdiplus_objects.h).
struct ImageData;
struct GraphicsData;
struct FontData;

// A decoded picture, or a bitmap.
class GpImage {
public:
    explicit GpImage(std::unique_ptr<ImageData> data);
    virtual ~GpImage();
    GpImage(const GpImage&) = delete;
    GpImage& operator=(const GpImage&) = delete;
    ImageData& data() { return *data_; }
    const ImageData& data() const { return *data_; }

private:
    std::unique_ptr<ImageData> data_;
};

// A GpImage that is a 24-bit RGB bitmap of our own.
class GpBitmap final : public GpImage {
public:
    using GpImage::GpImage;
};

// A drawing surface: on a bitmap, or on a window's painter.
class GpGraphics {
public:
    explicit GpGraphics(std::unique_ptr<GraphicsData> data);
    ~GpGraphics();
    GpGraphics(const GpGraphics&) = delete;
    GpGraphics& operator=(const GpGraphics&) = delete;
    GraphicsData& data() { return *data_; }

private:
    std::unique_ptr<GraphicsData> data_;
};

class GpFont {
public:
    explicit GpFont(std::unique_ptr<FontData> data);
    ~GpFont();
    GpFont(const GpFont&) = delete;
    GpFont& operator=(const GpFont&) = delete;
    const FontData& data() const { return *data_; }

private:
    std::unique_ptr<FontData> data_;
};

// A solid brush of one colour.
class GpSolidFill {
public:
    GpSolidFill(ARGB color, bool valid) : color_(color), valid_(valid) {}
    ARGB color() const { return color_; }
    bool valid() const { return valid_; }

private:
    ARGB color_;
    bool valid_;
};

Status GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput* input, void* output);
void GdiplusShutdown(std::uintptr_t token);

// Always sets `image`: on failure to a picture whose operations fail.
Status GdipLoadImageFromFile(const QString& path, std::unique_ptr<GpImage>& image);
// Beyond the classic set: loads frame `frame` of the picture's first
// dimension for a caller that will shrink it to at least minWidth x
// minHeight. A decoder that can decode smaller for free (JPEG) may make a
// frame of any size down to that; the picture then measures that size.
// 0 x 0 decodes in full. Always sets `image`, as the load above.
Status LoadImageFrameForSize(const QString& path, std::uint32_t frame, int minWidth, int minHeight,
                             std::unique_ptr<GpImage>& image);
// The same for a caller that will draw the frame at exactly outWidth x
// outHeight: when that shrinks the frame, the decoded rows are scaled as
// they arrive (over white, as a drawing into a fresh bitmap) and the
// picture measures the output size, so drawing it at that size copies it.
// Otherwise as LoadImageFrameForSize.
Status LoadImageFrameScaled(const QString& path, std::uint32_t frame, int minWidth, int minHeight, int outWidth,
                            int outHeight, std::unique_ptr<GpImage>& image);
// The two steps of that load, for a caller that looks at the source in
// between: the picture's file opened in the decoder (its first dimension
// has frame `frame`), and the frame loaded from the open source.
Status OpenFrameSource(const QString& path, std::uint32_t frame, std::unique_ptr<PictureSource>& source);
Status LoadFrameScaledFrom(std::unique_ptr<PictureSource> source, std::uint32_t frame, int minWidth, int minHeight,
                           int outWidth, int outHeight, std::unique_ptr<GpImage>& image);
// Beyond the classic set: the window's first look at a picture, frame 0
// loaded for a caller that shows it at minWidth x minHeight (a JPEG
// decodes at a fraction of its size for it), colours converted as
// GdipLoadImageFromFile does. `whole` tells that the frame came out at its
// full size: the picture is then the one GdipLoadImageFromFile would load.
Status LoadImageFirstLook(const QString& path, int minWidth, int minHeight, std::unique_ptr<GpImage>& image,
                          bool& whole);
Status GdipGetImageWidth(const GpImage* image, std::uint32_t* width);
Status GdipGetImageHeight(const GpImage* image, std::uint32_t* height);
// 24bppRGB for opaque frames, 32bppARGB for frames with transparency.
Status GdipGetImagePixelFormat(const GpImage* image, PixelFormat* format);
Status GdipGetImageHorizontalResolution(const GpImage* image, float* dpi);
Status GdipGetImageVerticalResolution(const GpImage* image, float* dpi);
Status GdipImageGetFrameDimensionsCount(const GpImage* image, std::uint32_t* count);
Status GdipImageGetFrameDimensionsList(const GpImage* image, GUID* dimensions, std::uint32_t count);
Status GdipImageGetFrameCount(const GpImage* image, const GUID* dimension, std::uint32_t* count);
Status GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, std::uint32_t index);

// A surface on a window's painter (the preview), or on a bitmap.
Status GdipCreateFromPainter(QPainter* painter, std::unique_ptr<GpGraphics>& graphics);
Status GdipGetImageGraphicsContext(GpImage* image, std::unique_ptr<GpGraphics>& graphics);
Status GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode);
// The active frame stretched into the rectangle.
Status GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, int x, int y, int width, int height);
Status GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, int dstX, int dstY, int dstWidth, int dstHeight,
                              int srcX, int srcY, int srcWidth, int srcHeight, Unit srcUnit);

Status GdipCreateBitmapFromScan0(int width, int height, int stride, PixelFormat format, std::uint8_t* scan0,
                                 std::unique_ptr<GpBitmap>& bitmap);
Status GdipBitmapSetResolution(GpBitmap* bitmap, float xdpi, float ydpi);
Status GdipImageRotateFlip(GpImage* image, RotateFlipType type);

Status GdipCreateFontFromLogfontW(const LOGFONTW& logfont, std::unique_ptr<GpFont>& font);
Status GdipCreateSolidFill(ARGB color, std::unique_ptr<GpSolidFill>& brush);
// One line of text, top-left at the layout rectangle's corner; length -1
// means the whole text.
Status GdipDrawString(GpGraphics* graphics, const QString& text, int length, const GpFont* font,
                      const RectF* layoutRect, const void* stringFormat, const GpSolidFill* brush);

Status GdipGetImageEncodersSize(std::uint32_t* numEncoders, std::uint32_t* size);
Status GdipGetImageEncoders(std::uint32_t numEncoders, std::uint32_t size, ImageCodecInfo* encoders);
// Writes beside the target under a temporary name and renames it over the
// target only when complete: a failed save leaves no partial file and an
// existing target untouched.
Status GdipSaveImageToFile(GpImage* image, const QString& path, const CLSID* encoder, const EncoderParameters* params);
// The same, writing `blocks` (profile, EXIF, XMP, IPTC) into the JPEG.
Status SaveImageToFileWithBlocks(GpImage* image, const QString& path, const CLSID* encoder,
                                 const EncoderParameters* params, const PictureInfo& blocks);

// Beyond the classic set: the same for a picture's active frame written at
// the resolution given rather than its own, so that a conversion that
// leaves the frame's pixels as they are saves them without a copy.
Status SaveFrameToFileAs(GpImage* image, float xdpi, float ydpi, const QString& path, const CLSID* encoder,
                         const EncoderParameters* params, const PictureInfo& blocks);

// Beyond the classic set: colours and metadata. A picture loaded from a
// file tagged with an ICC profile (other than sRGB) keeps its frame in the
// profile's colours until asked to convert; GdipLoadImageFromFile (the
// window's load, which shows the picture) converts at once.
// The profile and metadata of the picture's file; empty for bitmaps.
const PictureInfo& PictureInfoOf(const GpImage* image);
// The active frame is still in its profile's colours.
bool PictureColoursPending(const GpImage* image);
// Turns the active frame into sRGB in place; nothing when not pending.
Status ConvertPictureColours(GpImage* image);
// Turns `bitmap`'s pixels, drawn from `picture` while its colours were
// pending, into sRGB with the picture's profile.
Status ConvertBitmapColoursAs(GpBitmap* bitmap, const GpImage* picture);

}  // namespace imaging
