// Drawing features both formats share, checked through EMF records: arcs
// and pies, fill modes, clip regions, palettes, pattern blits, bitmaps
// set to the device, and rotated text.

#include "metafile_writer.h"

#include <gtest/gtest.h>

using namespace metafile_test;
using imaging::PixelBuffer;
using imaging::Status;

namespace {

EmfWriter Picture() { return EmfWriter(2000, 2000, 200, 200, 20, 20); }

void SelectRedFillNoPen(EmfWriter& w) {
    Bytes brush;
    brush.u32(1).u32(BS_SOLID).u32(0x0000FF).u32(0);
    w.Record(EMR_CREATEBRUSHINDIRECT, brush).Record(EMR_SELECTOBJECT, {1});
    Bytes pen;
    pen.u32(2).u32(PS_NULL).i32(0).i32(0).u32(0);
    w.Record(EMR_CREATEPEN, pen).Record(EMR_SELECTOBJECT, {2});
}

bool IsRed(const PixelBuffer& b, int x, int y) { return Near(Pixel(b, x, y), kRed); }

}  // namespace

TEST(MetafileGdi, PieSweepsCounterclockwiseFromStartToEnd) {
    // Box 0..200; start radial to the right (3 o'clock), end radial
    // upwards (12 o'clock): the upper right quarter.
    EmfWriter w = Picture();
    SelectRedFillNoPen(w);
    w.Record(EMR_PIE, {0, 0, 200, 200, 200, 100, 100, 0});
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    EXPECT_TRUE(IsRed(out, 150, 50));
    EXPECT_TRUE(Shows(out, {{50, 50, kWhite}, {150, 150, kWhite}, {50, 150, kWhite}}));

    // Clockwise arc direction takes the other three quarters.
    EmfWriter cw = Picture();
    SelectRedFillNoPen(cw);
    cw.Record(EMR_SETARCDIRECTION, {AD_CLOCKWISE});
    cw.Record(EMR_PIE, {0, 0, 200, 200, 200, 100, 100, 0});
    ASSERT_EQ(Render(cw.Finish(), out), Status::Ok);
    EXPECT_EQ(Pixel(out, 150, 50), kWhite);
    EXPECT_TRUE(IsRed(out, 50, 50));
    EXPECT_TRUE(IsRed(out, 150, 150));
}

TEST(MetafileGdi, PolyFillModeDecidesOverlaps) {
    // Two nested squares drawn the same way round: a hole in alternate
    // mode, filled in winding mode.
    auto file = [](int mode) {
        EmfWriter w = Picture();
        SelectRedFillNoPen(w);
        w.Record(EMR_SETPOLYFILLMODE, {mode});
        Bytes pp;
        pp.i32(0).i32(0).i32(0).i32(0).u32(2).u32(8).u32(4).u32(4);
        for (int p : {10, 10, 190, 10, 190, 190, 10, 190, 60, 60, 140, 60, 140, 140, 60, 140}) pp.i32(p);
        w.Record(EMR_POLYPOLYGON, pp);
        return w.Finish();
    };
    PixelBuffer out;
    ASSERT_EQ(Render(file(ALTERNATE), out), Status::Ok);
    EXPECT_TRUE(IsRed(out, 30, 100));
    EXPECT_EQ(Pixel(out, 100, 100), kWhite);
    ASSERT_EQ(Render(file(WINDING), out), Status::Ok);
    EXPECT_TRUE(IsRed(out, 100, 100));
}

TEST(MetafileGdi, ClipRegionOfRectanglesInDeviceUnits) {
    EmfWriter w = Picture();
    SelectRedFillNoPen(w);
    // Two rectangles: left top and right bottom quarters.
    Bytes rgn;
    rgn.u32(64).u32(5);  // size of the region data, RGN_COPY
    rgn.u32(32).u32(1).u32(2).u32(32).i32(0).i32(0).i32(200).i32(200);
    rgn.i32(0).i32(0).i32(100).i32(100).i32(100).i32(100).i32(200).i32(200);
    w.Record(EMR_EXTSELECTCLIPRGN, rgn);
    w.Record(EMR_RECTANGLE, {0, 0, 200, 200});
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    EXPECT_TRUE(IsRed(out, 50, 50));
    EXPECT_TRUE(IsRed(out, 150, 150));
    EXPECT_TRUE(Shows(out, {{150, 50, kWhite}, {50, 150, kWhite}}));

    // A region whose rectangle count runs past the record is ignored.
    EmfWriter bad = Picture();
    SelectRedFillNoPen(bad);
    Bytes lying;
    lying.u32(48).u32(5).u32(32).u32(1).u32(1000000).u32(16).i32(0).i32(0).i32(1).i32(1).i32(0).i32(0).i32(1).i32(1);
    bad.Record(EMR_EXTSELECTCLIPRGN, lying);
    bad.Record(EMR_RECTANGLE, {0, 0, 200, 200});
    ASSERT_EQ(Render(bad.Finish(), out), Status::Ok);
    EXPECT_TRUE(IsRed(out, 150, 50));
}

TEST(MetafileGdi, PaletteIndexColoursComeFromTheSelectedPalette) {
    EmfWriter w = Picture();
    Bytes palette;
    palette.u32(3).u16(0x300).u16(2).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(255).u8(0);  // black, blue
    w.Record(EMR_CREATEPALETTE, palette).Record(EMR_SELECTPALETTE, {3});
    Bytes brush;
    brush.u32(1).u32(BS_SOLID).u32(0x01000001).u32(0);  // PALETTEINDEX(1)
    w.Record(EMR_CREATEBRUSHINDIRECT, brush).Record(EMR_SELECTOBJECT, {1});
    w.Record(EMR_RECTANGLE, {0, 0, 200, 200});
    EXPECT_TRUE(RendersAs(w.Finish(), {{100, 100, kBlue, 8}}));
}

TEST(MetafileGdi, BlitWithoutSourcePaintsThePattern) {
    EmfWriter w = Picture();
    Bytes brush;
    brush.u32(1).u32(BS_SOLID).u32(0x00FF00).u32(0);
    w.Record(EMR_CREATEBRUSHINDIRECT, brush).Record(EMR_SELECTOBJECT, {1});
    Bytes blit;
    blit.i32(0).i32(0).i32(0).i32(0);
    blit.i32(20).i32(20).i32(60).i32(60).u32(PATCOPY);  // PATCOPY
    blit.i32(0).i32(0).f32(1).f32(0).f32(0).f32(1).f32(0).f32(0).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    w.Record(EMR_BITBLT, blit);
    EXPECT_TRUE(RendersAs(w.Finish(), {{50, 50, kGreen, 8}, {100, 100, kWhite}}));
}

TEST(MetafileGdi, SetDibitsToDevicePlacesPixelsUnscaled) {
    EmfWriter w = Picture();
    const QByteArray info = Dib24Info(2, 1);
    const QByteArray bits = Dib24Bits({{kRed, kBlue}});
    Bytes r;
    r.i32(0).i32(0).i32(0).i32(0);
    r.i32(10).i32(20).i32(0).i32(0).i32(2).i32(1);  // dest, source origin and size
    r.u32(76).u32(static_cast<std::uint32_t>(info.size())).u32(76 + static_cast<std::uint32_t>(info.size()))
        .u32(static_cast<std::uint32_t>(bits.size()));
    r.u32(0).u32(0).u32(1);  // RGB colours, start scan 0, one scan
    r.bytes(info).bytes(bits);
    w.Record(EMR_SETDIBITSTODEVICE, r);
    EXPECT_TRUE(RendersAs(w.Finish(), {{10, 20, kRed, 40}, {11, 20, kBlue, 40}, {13, 20, kWhite}, {10, 22, kWhite}}));
}

TEST(MetafileGdi, EscapementTurnsTheBaseline) {
    // A long run of characters with a 90 degree escapement goes upwards
    // from the reference point: ink above it, none to its right.
    EmfWriter w = Picture();
    Bytes font;
    font.u32(1).i32(-20).i32(0).i32(900).i32(900).i32(400).u8(0).u8(0).u8(0).u8(0).u32(0);
    while (font.size() < 4 + 92) font.u8(0);
    w.Record(EMR_EXTCREATEFONTINDIRECTW, font).Record(EMR_SELECTOBJECT, {1});
    w.Record(EMR_SETBKMODE, {TRANSPARENT});
    w.Record(EMR_SETTEXTALIGN, {TA_BASELINE});
    Bytes text;
    text.i32(0).i32(0).i32(-1).i32(-1).u32(1).f32(1).f32(1);
    text.i32(100).i32(190).u32(8).u32(76).u32(0).i32(0).i32(0).i32(-1).i32(-1).u32(0);
    for (QChar c : QStringLiteral("MMMMMMMM")) text.u16(c.unicode());
    w.Record(EMR_EXTTEXTOUTW, text);
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    int above = 0, right = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            if (qGray(Pixel(out, x, y)) >= 128) continue;
            if (x >= 80 && x < 101 && y < 190) ++above;
            if (x > 130) ++right;
        }
    EXPECT_GT(above, 200);
    EXPECT_EQ(right, 0);
}

TEST(MetafileGdi, ExtremeFontFieldsStillPlay) {
    // The most negative escapement and height a file can hold.
    EmfWriter w = Picture();
    Bytes font;
    font.u32(1).i32(INT32_MIN).i32(INT32_MAX).i32(INT32_MIN).i32(0).i32(INT32_MIN).u8(1).u8(1).u8(1).u8(0).u32(0);
    while (font.size() < 4 + 92) font.u8(0);
    w.Record(EMR_EXTCREATEFONTINDIRECTW, font).Record(EMR_SELECTOBJECT, {1});
    Bytes text;
    text.i32(0).i32(0).i32(-1).i32(-1).u32(1).f32(1).f32(1);
    text.i32(10).i32(10).u32(2).u32(76).u32(0).i32(0).i32(0).i32(-1).i32(-1).u32(0);
    text.u16('A').u16('B');
    w.Record(EMR_EXTTEXTOUTW, text);
    PixelBuffer out;
    EXPECT_EQ(Render(w.Finish(), out), Status::Ok);
    EXPECT_EQ(out.width(), 200);
}

TEST(MetafileGdi, GradientFillShadesRectanglesAndTriangles) {
    auto vertex = [](Bytes& b, int x, int y, QRgb c) {
        b.i32(x).i32(y).u16(static_cast<std::uint16_t>(qRed(c) << 8)).u16(static_cast<std::uint16_t>(qGreen(c) << 8))
            .u16(static_cast<std::uint16_t>(qBlue(c) << 8)).u16(0);
    };
    EmfWriter w = Picture();
    Bytes rect;
    rect.i32(0).i32(0).i32(0).i32(0).u32(2).u32(1).u32(0);  // two vertices, one rectangle, across
    vertex(rect, 0, 0, kRed);
    vertex(rect, 200, 100, kBlue);
    rect.u32(0).u32(1);
    w.Record(EMR_GRADIENTFILL, rect);
    Bytes tri;
    tri.i32(0).i32(0).i32(0).i32(0).u32(3).u32(2).u32(2);  // three vertices, two triangles
    vertex(tri, 0, 110, kRed);
    vertex(tri, 200, 110, kGreen);
    vertex(tri, 100, 200, kBlue);
    tri.u32(0).u32(1).u32(2);
    tri.u32(0).u32(1).u32(7);  // an index past the vertices: skipped
    w.Record(EMR_GRADIENTFILL, tri);
    EXPECT_TRUE(RendersAs(w.Finish(), {
        {2, 50, kRed, 12}, {197, 50, kBlue, 12}, {100, 50, qRgb(128, 0, 128), 12}, {10, 112, kRed, 30},
        {190, 112, kGreen, 30}, {100, 195, kBlue, 30}, {10, 190, kWhite}
    }));
}
