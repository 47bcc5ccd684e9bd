// Enhanced metafiles through the EMF player.
#include "tests/fuzz/metafile_play.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::PlayMetafile(data, size, imaging::metafile::MetafileKind::Emf);
    return 0;
}
