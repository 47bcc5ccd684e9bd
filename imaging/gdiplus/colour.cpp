// Colours and metadata of loaded pictures: the file's profile and metadata
// blocks kept from its decoder, and the conversion of a frame, or of a
// bitmap drawn from it, into sRGB.
#include "imaging/gdiplus/gdiplus_objects.h"

namespace imaging {

const PictureInfo& PictureInfoOf(const GpImage* image) {
    static const PictureInfo kNone;
    if (!image || !image->data().valid || !image->data().source) return kNone;
    return image->data().source->Info();
}

bool PictureColoursPending(const GpImage* image) {
    return image && image->data().valid && image->data().coloursPending && image->data().sourceColour;
}

Status ConvertPictureColours(GpImage* image) {
    if (!PictureColoursPending(image)) return image && image->data().valid ? Status::Ok : Status::InvalidParameter;
    ImageData& data = image->data();
    data.sourceColour->Apply(data.frame);
    data.coloursPending = false;
    return Status::Ok;
}

Status ConvertBitmapColoursAs(GpBitmap* bitmap, const GpImage* picture) {
    PixelBuffer* pixels = FrameOf(bitmap);
    if (!pixels || !picture || !picture->data().valid) return Status::InvalidParameter;
    if (PictureColoursPending(picture)) picture->data().sourceColour->Apply(*pixels);
    return Status::Ok;
}

}  // namespace imaging
