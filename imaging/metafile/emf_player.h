#pragma once
// The EMF player: walks the records of an enhanced metafile and plays each
// onto a GdiDevice. Each record is handed over as a reader bounded by the
// record's own size, so no field read can leave the record. EMF+ records
// (inside comment records) are skipped; dual files carry EMF records for
// the same drawing.

#include "imaging/core/status.h"
#include "imaging/metafile/byte_reader.h"
#include "imaging/metafile/dib.h"
#include "imaging/metafile/gdi_device.h"
#include "imaging/metafile/metafile_probe.h"
#include "imaging/metafile/record_types.h"

#include <QByteArray>
#include <QImage>

namespace imaging::metafile {

// Plays the whole file onto `target` (already filled white). Fails when
// the record chain is broken; records it does not know are skipped.
Status PlayEmf(const QByteArray& file, const MetafileInfo& info, QImage& target);

class EmfPlayer {
public:
    EmfPlayer(GdiDevice& device, std::uint32_t objectCount);
    // Plays one record; `r` spans the whole record, positioned after its
    // type and size. Returns false at the end-of-file record.
    bool Play(std::uint32_t type, ByteReader& r);

private:
    // emf_player.cpp: state and objects.
    bool PlayState(EmfRecord record, ByteReader& r);
    bool PlayObjects(EmfRecord record, ByteReader& r);
    void SelectObject(std::uint32_t index);
    void DeleteObject(std::uint32_t index);
    bool StoreObject(std::uint32_t index, GdiObject object);
    void CreatePen(ByteReader& r);
    void ExtCreatePen(ByteReader& r);
    void CreateBrush(ByteReader& r);
    void CreatePatternBrush(ByteReader& r, bool monochrome);
    void CreateFont(ByteReader& r);
    void CreatePalette(ByteReader& r);
    void SetPaletteEntries(ByteReader& r);

    // emf_draw_records.cpp: drawing, clipping, text and bitmaps.
    bool PlayDrawing(EmfRecord record, ByteReader& r);
    bool PlayShapes(EmfRecord record, ByteReader& r);
    bool PlayPaths(EmfRecord record, ByteReader& r);
    void PlayArc(EmfRecord record, ByteReader& r);
    void PlayPoly(EmfRecord record, ByteReader& r, bool small);
    void PlayPolyPoly(EmfRecord record, ByteReader& r, bool small);
    void PlayPolyDraw(ByteReader& r, bool small);
    void PlayText(ByteReader& r, bool wide);
    void PlaySmallText(ByteReader& r);
    void PlayClipRegion(ByteReader& r);
    void PlayRegionFill(EmfRecord record, ByteReader& r);
    void PlayBlit(EmfRecord record, ByteReader& r);
    void PlayStretchDibits(ByteReader& r);
    void PlaySetDibitsToDevice(ByteReader& r);
    void PlayAlphaBlend(ByteReader& r);
    void PlayGradientFill(ByteReader& r);
    std::optional<Dib> ReadBitmap(const ByteReader& r, std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits,
                                  std::uint32_t cbBits, std::uint32_t usage, bool keepAlpha) const;

    GdiDevice& device_;
    std::vector<GdiObject> objects_;
};

// Shared by the EMF and WMF players: a region's rectangles, in the units
// they are given, as one path.
std::optional<QPainterPath> ReadRegionData(ByteReader r, std::uint32_t size);

}  // namespace imaging::metafile
