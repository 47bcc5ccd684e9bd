// The facts and blocks an output carries (see output_blocks.h).
#include "imaging/conversion/output_blocks.h"

#include "imaging/encode/jpeg_writer.h"

namespace imaging {

metadata::OutputFacts OutputFactsFor(std::uint32_t width, std::uint32_t height, float xdpi, float ydpi) {
    metadata::OutputFacts facts;
    facts.width = static_cast<int>(width);
    facts.height = static_cast<int>(height);
    facts.xdpi = JpegDotsPerInch(xdpi);
    facts.ydpi = JpegDotsPerInch(ydpi);
    return facts;
}

PictureInfo OutputBlocksFor(const PictureInfo& source, const metadata::OutputFacts& facts,
                            metadata::MetadataPolicy policy, ColourHandling colour) {
    PictureInfo blocks = metadata::OutputMetadata(source, policy, facts);
    if (colour == ColourHandling::KeepProfile && !source.profileApplied) blocks.iccProfile = source.iccProfile;
    return blocks;
}

}  // namespace imaging
