#pragma once
// The WMF player: walks the records of a Windows metafile (16-bit
// coordinates, parameters mostly in reverse order) and plays each onto a
// GdiDevice. Objects take the lowest free slot of the object table, as
// the format prescribes.

#include "imaging/core/status.h"
#include "imaging/metafile/byte_reader.h"
#include "imaging/metafile/gdi_device.h"
#include "imaging/metafile/metafile_probe.h"

#include <QByteArray>
#include <QImage>

namespace imaging::metafile {

Status PlayWmf(const QByteArray& file, const MetafileInfo& info, QImage& target);

class WmfPlayer {
public:
    WmfPlayer(GdiDevice& device, std::uint32_t objectCount);
    // `r` holds the record's parameters only. False at the end record.
    bool Play(std::uint16_t function, std::uint32_t words, ByteReader& r);

private:
    bool PlayState(std::uint16_t function, ByteReader& r);
    bool PlayShapes(std::uint16_t function, ByteReader& r);
    bool PlayObjects(std::uint16_t function, ByteReader& r);
    void PlayBitmap(std::uint16_t function, std::uint32_t words, ByteReader& r);
    void PlayTextOut(ByteReader& r);
    void PlayExtTextOut(ByteReader& r);
    void CreateRegion(ByteReader& r);
    void CreatePatternBrush16(ByteReader& r);
    void Store(GdiObject object);
    const GdiObject* Object(std::uint16_t index) const;

    GdiDevice& device_;
    std::vector<GdiObject> objects_;
};

}  // namespace imaging::metafile
