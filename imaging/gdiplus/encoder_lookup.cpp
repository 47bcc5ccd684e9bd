// The encoder lookup: the list is fetched, searched and dropped on every
// call, nothing is cached.
#include "imaging/gdiplus/encoder_lookup.h"

#include <algorithm>
#include <vector>

namespace imaging {

int GetEncoderClsid(const QString& mimeType, CLSID* clsid, const EncoderListSource& source) {
    std::uint32_t count = 0;
    std::uint32_t size = 0;
    source.size(&count, &size);  // its status is not looked at: size 0 says it
    if (size == 0) return -1;
    // A block of exactly the reported size: as many records as fit in it.
    const std::uint32_t fits = size / static_cast<std::uint32_t>(sizeof(ImageCodecInfo));
    if (fits == 0) return -1;
    const std::uint32_t records = std::min(count, fits);
    std::vector<ImageCodecInfo> block(fits);
    source.fill(count, size, block.data());
    for (std::uint32_t i = 0; i < records; ++i) {
        if (block[i].MimeType == mimeType) {  // exact, case-sensitive
            if (clsid) *clsid = block[i].Clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}

int GetEncoderClsid(const QString& mimeType, CLSID* clsid) { return GetEncoderClsid(mimeType, clsid, {}); }

}  // namespace imaging
