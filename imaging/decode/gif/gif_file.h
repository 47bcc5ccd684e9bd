#pragma once
// giflib over one GIF file, record by record: the logical screen on
// opening, then extensions and images in file order. Nothing is decoded
// ahead of the caller, so limits are checked before each allocation.

#include "imaging/core/file_handle.h"
#include "imaging/core/status.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

#include <gif_lib.h>

namespace imaging::decode {

// What a graphic control extension says about the image after it.
struct GifControl {
    int disposal = 0;  // 0 none, 1 keep, 2 restore to background, 3 restore to previous
    int transparentIndex = -1;
};

class GifFile {
public:
    // Opens the file and reads the logical screen and the global colour map.
    Status Open(const QString& path);
    GifFileType* get() const { return gif_.get(); }

    // The next record's type, after any stray bytes; the end of the file
    // or a read error is GenericError.
    Status NextRecord(GifRecordType& type);
    // Reads an extension to its end; `control` is set when it is a
    // graphic control extension.
    Status ReadExtension(std::optional<GifControl>& control);
    // Reads an image descriptor with its local colour map.
    Status ReadImageDescriptor();
    // The current image's minimum LZW code size when it is above 8, which
    // giflib does not decode (ReadWideImage does); 0 otherwise.
    int wideCodeSize() const { return wideCodeSize_; }
    // The next row of the current image, in file order.
    Status ReadRow(GifPixelType* row, int width);
    // The whole current image of a wide code size: `pixels` indices.
    Status ReadWideImage(std::size_t pixels, std::vector<std::uint16_t>& indices);
    // Skips the current image's data without decoding it.
    Status SkipImageData();

private:
    // Reads the data sub-blocks up to their terminator, handing each to `use`.
    template <typename Use>
    Status ReadSubBlocks(Use use);
    // After a failed descriptor read that began at `start`: whether only
    // the code size, above 8, stopped it.
    bool WideCodeSizeFollows(long start);

    struct Closer {
        void operator()(GifFileType* gif) const;
    };
    FileHandle file_;  // declared first: closed after giflib lets go of it
    std::unique_ptr<GifFileType, Closer> gif_;
    int wideCodeSize_ = 0;
};

}  // namespace imaging::decode
