#pragma once
// The logical screen a GIF animation is composited on, frame after frame,
// with the rules viewers have long applied (and this program applied
// before it read GIFs itself):
// - the canvas has alpha when the first image has a transparent index;
//   it starts transparent black (or black), and a first image smaller than
//   the screen is laid on the transparent colour or the background colour;
// - the first image writes every pixel, later images skip their
//   transparent index;
// - "restore to background" clears the previous image's area to
//   transparent when the transparent index in force is set, else to the
//   background colour, else to the first pixel's colour; "restore to
//   previous" puts back what was under the previous image;
// - indices past the colour map are transparent white; parts of an image
//   outside the screen are clipped.
// Pixels are 0xAARRGGBB words; on a canvas without alpha, alpha is ignored.

#include "imaging/core/picture_source.h"
#include "imaging/core/pixel_buffer.h"
#include "imaging/core/status.h"
#include "imaging/decode/gif/gif_file.h"

#include <array>
#include <cstdint>
#include <vector>

namespace imaging::decode {

class GifCanvas {
public:
    // The logical screen and its global colour map (null when the file has
    // none).
    GifCanvas(int screenWidth, int screenHeight, const ColorMapObject* global, int backgroundIndex);

    // A graphic control extension: disposes of the previous image first.
    void Control(const GifControl& control);
    // An image descriptor: disposes of the previous image, allocates the
    // canvas on the first image (checked against the limits), and prepares
    // the image's rows.
    Status BeginImage(const GifImageDesc& image, const DecodeLimits& limits);
    // The image's next row, in file order (interlaced images are placed).
    void DrawRow(const GifPixelType* indices);
    // The same for an image of a code size above 8, whose indices can
    // exceed 255 (past any colour map).
    void DrawRow(const std::uint16_t* indices);

    int width() const { return width_; }
    int height() const { return height_; }
    // The picture as it stands after the last image.
    Status ToPixels(const DecodeLimits& limits, PixelBuffer& out) const;

private:
    std::uint32_t Colour(int index) const;
    void DisposePrevious();
    void Fill(int left, int top, int right, int bottom, std::uint32_t colour);
    void SaveUnderImage();
    int RowOfLine(int line) const;
    template <typename Index>
    void Draw(const Index* indices);

    int screenWidth_, screenHeight_;
    std::vector<std::uint32_t> global_;
    int globalCount_;
    int background_;
    std::vector<std::uint32_t> local_;
    bool useLocal_ = false;

    int width_ = 0, height_ = 0;  // the canvas, fixed by the first image
    bool alpha_ = false;
    std::vector<std::uint32_t> pixels_;

    int disposal_ = 0;
    bool disposed_ = true;
    int transparent_ = -1;
    int frame_ = -1;
    // The current image, and its area clipped to the canvas (inclusive).
    int left_ = 0, top_ = 0, imageWidth_ = 0, imageHeight_ = 0;
    int right_ = 0, bottom_ = 0;
    bool interlaced_ = false;
    int nextLine_ = 0;
    std::vector<std::uint32_t> saved_;  // under the image, for "restore to previous"
    std::array<std::uint32_t, 256> lookup_{};  // the current image's indices as pixels
};

}  // namespace imaging::decode
