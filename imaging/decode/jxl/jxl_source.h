#pragma once
// JPEG XL pictures through libjxl: a still picture is one page, an
// animation a series of time frames, each the full picture as shown at
// that moment; upright by the file's orientation.

#include "imaging/core/picture_source.h"

#include <QByteArray>

namespace imaging::decode {

class JxlSource : public PictureSource {
public:
    // The file's own ICC profile (JPEG XL always has one, stated or
    // synthesised from its colour encoding); empty only if libjxl gave none.
    virtual const QByteArray& IccProfile() const = 0;
};

Status OpenJxlSource(const QString& path, const DecodeLimits& limits, std::unique_ptr<PictureSource>& source);

}  // namespace imaging::decode
