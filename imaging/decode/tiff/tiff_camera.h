#pragma once
// Whether a TIFF that names a camera maker holds a camera's raw data (NEF,
// ARW, PEF, SRW, ... are TIFF files) or is an ordinary picture that a
// camera, scanner or thermal imager wrote. A RAW's first directory is the
// sensor data itself (a colour filter array or linear raw samples, or a
// maker's own compression) or a reduced preview of it, often with the
// full picture in sub-directories. An ordinary picture is none of these,
// and is read as a TIFF: a raw developer would brighten and colour it.

#include <QIODevice>
#include <QString>

namespace imaging::decode::tiff {

bool FirstDirectoryHoldsRawData(QIODevice& device);

}  // namespace imaging::decode::tiff

namespace imaging::decode {

// A DNG, or a TIFF with a camera maker and raw data: LibRaw's first.
bool TiffLooksLikeCameraRaw(const QString& path);

}  // namespace imaging::decode
