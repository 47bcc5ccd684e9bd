// Windows metafiles, placeable or standard, through the WMF player.
#include "tests/fuzz/metafile_play.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::PlayMetafile(data, size, imaging::metafile::MetafileKind::StandardWmf);
    return 0;
}
