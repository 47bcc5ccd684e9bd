#pragma once
// The Exif and XMP boxes of a JPEG XL container, caught while a decoder
// subscribed to JXL_DEC_BOX passes over them (Brotli-compressed "brob"
// boxes decompressed). A box larger than the bound is left out; only the
// first box of each kind is kept.

#include <QByteArray>

#include <jxl/decode.h>

namespace imaging::decode::jxl {

class MetadataBoxes {
public:
    // Asks `decoder` for decompressed boxes.
    explicit MetadataBoxes(JxlDecoder* decoder);
    MetadataBoxes(const MetadataBoxes&) = delete;
    MetadataBoxes& operator=(const MetadataBoxes&) = delete;

    // At JXL_DEC_BOX: completes the box before, and starts catching this
    // one when it is metadata.
    void OnBox();
    // At JXL_DEC_BOX_NEED_MORE_OUTPUT: room for the rest, or the box given
    // up when it outgrows the bound.
    void OnNeedMoreOutput();
    // At JXL_DEC_SUCCESS: completes the last box.
    void OnEnd();

    // The TIFF structure of the Exif box; empty when there was none.
    const QByteArray& exif() const { return exif_; }
    const QByteArray& xmp() const { return xmp_; }

private:
    void Complete();
    void GiveUp();

    JxlDecoder* decoder_;
    QByteArray* target_ = nullptr;  // where the box being caught goes
    QByteArray buffer_;
    QByteArray exifBox_;
    QByteArray exif_;
    QByteArray xmp_;
};

}  // namespace imaging::decode::jxl
