// WMF pictures: placeable and standard headers, the window mapped onto the
// placeable bounds, the object table's slot rule, text, bitmaps, and
// damaged files.

#include "metafile_writer.h"

#include <gtest/gtest.h>

using namespace metafile_test;
using imaging::PixelBuffer;
using imaging::Status;

namespace {

// 2 x 1 inches in twips: 192 x 96 pixels at 96 dpi.
WmfWriter Picture() { return WmfWriter(0, 0, 2880, 1440, 1440); }

Bytes SolidBrush(std::uint32_t colorRef) {
    Bytes b;
    b.u16(BS_SOLID).u32(colorRef).u16(0);
    return b;
}

Bytes NullPen() {
    Bytes b;
    b.u16(PS_NULL).i16(0).i16(0).u32(0);
    return b;
}

// Selects a solid brush (slot 0) and a null pen (slot 1).
void SelectBrushNoPen(WmfWriter& w, std::uint32_t colorRef) {
    w.Record(META_CREATEBRUSHINDIRECT, SolidBrush(colorRef)).Record(META_SELECTOBJECT, {0});
    w.Record(META_CREATEPENINDIRECT, NullPen()).Record(META_SELECTOBJECT, {1});
}

}  // namespace

TEST(MetafileWmf, PlaceableHeaderGivesSizeAtNinetySixDpi) {
    const QByteArray file = Picture().Finish();
    EXPECT_TRUE(imaging::LooksLikeMetafile(file.left(64)));
    EXPECT_TRUE(imaging::LooksLikeMetafile(file.mid(22, 64)));  // the standard header alone
    std::unique_ptr<imaging::PictureSource> source;
    ASSERT_EQ(imaging::OpenMetafileSourceFromBytes(file, {}, source), Status::Ok);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 96);
    PixelBuffer out;
    ASSERT_EQ(source->DecodeFrame(imaging::FrameDimensionPage, 0, out), Status::Ok);
    EXPECT_EQ(out.width(), 192);
    EXPECT_EQ(out.height(), 96);
    EXPECT_EQ(Pixel(out, 100, 50), kWhite);
}

TEST(MetafileWmf, ShapesInBoundsUnitsLandOnThePicture) {
    WmfWriter w = Picture();
    SelectBrushNoPen(w, 0x0000FF);
    w.Record(META_RECTANGLE, {720, 1440, 0, 0});  // RECTANGLE bottom, right, top, left: 1 x 0.5 inch
    EXPECT_TRUE(RendersAs(w.Finish(), {{48, 24, kRed, 8}, {110, 24, kWhite}, {48, 60, kWhite}}));
}

TEST(MetafileWmf, WindowExtentMapsOntoTheBounds) {
    WmfWriter w = Picture();
    w.Record(META_SETWINDOWORG, {0, 0}).Record(META_SETWINDOWEXT, {10, 20});  // window 20 x 10 units: one unit ~ 9.6 pixels
    SelectBrushNoPen(w, 0xFF0000);
    w.Record(META_RECTANGLE, {10, 20, 5, 10});  // right half of the lower half
    EXPECT_TRUE(RendersAs(w.Finish(), {{150, 75, kBlue, 8}, {50, 75, kWhite}, {150, 25, kWhite}}));
}

TEST(MetafileWmf, NewObjectsTakeTheLowestFreeSlot) {
    WmfWriter w = Picture();
    w.Record(META_CREATEBRUSHINDIRECT, SolidBrush(0x0000FF));  // slot 0: red
    w.Record(META_CREATEBRUSHINDIRECT, SolidBrush(0x00FF00));  // slot 1: green
    w.Record(META_DELETEOBJECT, {0});                   // delete slot 0
    w.Record(META_CREATEBRUSHINDIRECT, SolidBrush(0xFF0000));  // blue takes slot 0 again
    w.Record(META_CREATEPENINDIRECT, NullPen());             // slot 2
    w.Record(META_SELECTOBJECT, {0}).Record(META_SELECTOBJECT, {2});
    w.Record(META_RECTANGLE, {1440, 2880, 0, 0});
    EXPECT_TRUE(RendersAs(w.Finish(), {{96, 48, kBlue, 8}}));
}

TEST(MetafileWmf, TextOutDrawsInTheTextColour) {
    WmfWriter w = Picture();
    Bytes font;
    font.i16(-400).i16(0).i16(0).i16(0).i16(400).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
    font.bytes(QByteArray("Sans", 5));
    w.Record(META_CREATEFONTINDIRECT, font).Record(META_SELECTOBJECT, {0});
    w.Record(META_SETBKMODE, {TRANSPARENT});
    w.Record(META_SETTEXTCOLOR, {0x00FF, 0x0000});        // text colour red (COLORREF 0x0000FF)
    Bytes text;
    text.u16(4).bytes(QByteArray("WWWW")).i16(200).i16(200);  // y, x in twips
    w.Record(META_TEXTOUT, text);
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    int red = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 192; ++x) red += qRed(Pixel(out, x, y)) > 200 && qGreen(Pixel(out, x, y)) < 80;
    EXPECT_GT(red, 100);
    EXPECT_EQ(CountDark(out, 0, 0, 192, 12), 0);  // nothing above the reference
}

TEST(MetafileWmf, StretchDibLandsScaled) {
    WmfWriter w = Picture();
    Bytes r;
    r.u32(SRCCOPY).u16(0);
    r.i16(2).i16(2).i16(0).i16(0);            // source height, width, y, x
    r.i16(1440).i16(1440).i16(0).i16(1440);   // dest height, width, y, x: right half
    r.bytes(Dib24Info(2, 2)).bytes(QuadrantBits());
    w.Record(META_STRETCHDIB, r);
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    EXPECT_TRUE(ShowsQuadrants(out, 110, 182, 10, 86));
    EXPECT_EQ(Pixel(out, 40, 48), kWhite);
}

TEST(MetafileWmf, StandardHeaderTakesItsSizeFromTheWindow) {
    WmfWriter w = Picture();
    w.Record(META_SETWINDOWORG, {0, 0}).Record(META_SETWINDOWEXT, {50, 120});
    const QByteArray file = w.Finish(false);
    std::unique_ptr<imaging::PictureSource> source;
    ASSERT_EQ(imaging::OpenMetafileSourceFromBytes(file, {}, source), Status::Ok);
    PixelBuffer out;
    ASSERT_EQ(source->DecodeFrame(imaging::FrameDimensionPage, 0, out), Status::Ok);
    EXPECT_EQ(out.width(), 120);
    EXPECT_EQ(out.height(), 50);
    // Without a window there is no size to give.
    EXPECT_NE(imaging::OpenMetafileSourceFromBytes(Picture().Finish(false), {}, source), Status::Ok);
}

TEST(MetafileWmf, BrokenFilesFailCleanly) {
    WmfWriter w = Picture();
    w.Record(META_CREATEBRUSHINDIRECT, SolidBrush(0x0000FF)).Record(META_SELECTOBJECT, {0});
    w.Record(META_RECTANGLE, {720, 1440, 0, 0});
    const QByteArray good = w.Finish();
    PixelBuffer out;
    ASSERT_EQ(Render(good, out), Status::Ok);
    EXPECT_NE(Render(good.left(good.size() - 9), out), Status::Ok);  // cut inside a record
    QByteArray claims = good;
    EmfWriter::Patch(claims, 22 + 18, 0x7FFFFFFF);  // first record claims 4 GiB
    EXPECT_NE(Render(claims, out), Status::Ok);
    EXPECT_NE(Render(good.left(30), out), Status::Ok);

    // Records whose fields run past their own end are skipped.
    WmfWriter bad = Picture();
    Bytes poly;
    poly.u16(30000).i16(1).i16(1);  // claims 30000 points, has one
    bad.Record(META_POLYGON, poly);
    bad.Record(META_SELECTOBJECT, {900});       // no such object
    Bytes dib;
    dib.u32(SRCCOPY).u16(0).i16(2).i16(2).i16(0).i16(0).i16(10).i16(10).i16(0).i16(0);
    dib.bytes(Dib24Info(2000, 2000));  // header without its rows
    bad.Record(META_STRETCHDIB, dib);
    EXPECT_EQ(Render(bad.Finish(), out), Status::Ok);
    EXPECT_EQ(Pixel(out, 10, 10), kWhite);
}
