#pragma once
// The light decoding worker carries only the decoders of the everyday
// formats (JPEG, PNG, GIF, TIFF). Without LibRaw, libheif, libjxl, the
// metafile player and Qt's GUI library (fonts, Qt's readers) it starts in a
// third of the time. Its OpenPictureSource (open_picture_source_light.cpp)
// notes when a picture needs another decoder, and the program hands the
// picture on to the full worker.

namespace imaging::decode {

// True once this process was asked for a picture its decoders do not read.
// Always false with every decoder (open_picture_source.cpp).
bool FullDecoderWanted();

}  // namespace imaging::decode
