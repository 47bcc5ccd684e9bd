#pragma once
// The WMF player: walks the records of a Windows metafile (16-bit
// coordinates, parameters mostly in reverse order) and plays each onto a
// GdiDevice. Objects take the lowest free slot of the object table, as
// the format prescribes.

#include "imaging/core/status.h"
#include "imaging/metafile/byte_reader.h"
#include "imaging/metafile/gdi_device.h"
#include "imaging/metafile/metafile_probe.h"
#include "imaging/metafile/record_types.h"

#include <QByteArray>
#include <QImage>

namespace imaging::metafile {

struct DibRequest;

Status PlayWmf(const QByteArray& file, const MetafileInfo& info, QImage& target);

class WmfPlayer {
public:
    WmfPlayer(GdiDevice& device, std::uint32_t objectCount);
    // `r` holds the record's parameters only. False at the end record.
    bool Play(std::uint16_t function, std::uint32_t words, ByteReader& r);

private:
    // wmf_player.cpp: state, shapes, text and objects.
    bool PlayState(WmfRecord record, ByteReader& r);
    bool PlayModes(WmfRecord record, ByteReader& r);
    bool PlayCoordinates(WmfRecord record, ByteReader& r);
    bool PlayShapes(WmfRecord record, ByteReader& r);
    void PlayPolyPolygon(ByteReader& r);
    void PlayTextOut(ByteReader& r);
    void PlayExtTextOut(ByteReader& r);
    bool PlayObjects(WmfRecord record, ByteReader& r);
    bool PlayCreate(WmfRecord record, ByteReader& r);
    bool PlaySelect(WmfRecord record, ByteReader& r);
    bool PlayDelete(WmfRecord record, ByteReader& r);
    bool PlayRegion(WmfRecord record, ByteReader& r);
    void CreatePen(ByteReader& r);
    void CreateBrush(ByteReader& r);
    void CreateFont(ByteReader& r);
    void CreateDibPatternBrush(ByteReader& r);
    void CreatePalette(ByteReader& r);
    void CreateRegion(ByteReader& r);
    void SelectObject(const GdiObject& object);
    void SetPalEntries(ByteReader& r);
    void Store(GdiObject object);
    const GdiObject* Object(std::uint16_t index) const;

    // wmf_bitmaps.cpp: blits and the old pattern brush.
    void PlayBitmap(WmfRecord record, std::uint32_t words, ByteReader& r);
    void PlayDibBlit(WmfRecord record, bool withBitmap, ByteReader& r, const DibRequest& request);
    void PlayStretchDib(ByteReader& r, DibRequest request);
    void PlaySetDibToDev(ByteReader& r, DibRequest request);
    void CreatePatternBrush16(ByteReader& r);

    GdiDevice& device_;
    std::vector<GdiObject> objects_;
};

}  // namespace imaging::metafile
