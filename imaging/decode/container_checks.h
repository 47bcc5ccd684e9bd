#pragma once
// Checks of picture containers whose Qt readers hand out a partial picture
// without an error when the file is cut short: a GIF's block structure and
// a BMP's pixel data. Both read only headers and block lengths.

#include <QIODevice>
#include <QSize>

namespace imaging::decode {

struct GifStructure {
    bool valid = false;  // a GIF header and logical screen descriptor
    QSize canvas;        // the logical screen every frame is composited on
    int completeFrames = 0;  // frames whose image data ends inside the file
};

GifStructure ReadGifStructure(QIODevice& device);

// False when a BMP's header promises more pixel data than the file holds.
// Files that are not BMPs pass.
bool BmpPixelDataComplete(QIODevice& device);

}  // namespace imaging::decode
