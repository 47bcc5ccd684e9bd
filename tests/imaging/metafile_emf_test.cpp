// EMF pictures: detection, size and resolution from the header, and the
// pixels that records of each kind put down.

#include "metafile_writer.h"

#include <gtest/gtest.h>

using namespace metafile_test;
using imaging::PixelBuffer;
using imaging::Status;

namespace {

// 200 x 100 device pixels over 20 x 10 mm: 10 pixels a millimetre (254 dpi).
EmfWriter Picture() { return EmfWriter(2000, 1000, 200, 100, 20, 10); }

Bytes Brush(std::uint32_t index, std::uint32_t style, std::uint32_t colorRef, std::uint32_t hatch = 0) {
    Bytes b;
    b.u32(index).u32(style).u32(colorRef).u32(hatch);
    return b;
}

Bytes NullPen(std::uint32_t index) {
    Bytes b;
    b.u32(index).u32(PS_NULL).i32(0).i32(0).u32(0);
    return b;
}

// Selects a red brush (object 1) and a null pen (object 2).
EmfWriter& RedNoOutline(EmfWriter& w) {
    w.Record(EMR_CREATEBRUSHINDIRECT, Brush(1, BS_SOLID, 0x0000FF)).Record(EMR_SELECTOBJECT, {1});
    w.Record(EMR_CREATEPEN, NullPen(2)).Record(EMR_SELECTOBJECT, {2});
    return w;
}

}  // namespace

TEST(MetafileEmf, RecognisedByContentAndSizedFromFrameAndDevice) {
    const QByteArray file = Picture().Finish();
    EXPECT_TRUE(imaging::LooksLikeMetafile(file.left(64)));
    EXPECT_FALSE(imaging::LooksLikeMetafile(QByteArray("\x89PNG\r\n\x1a\n0000000000000000000000000000000000000000", 48)));

    std::unique_ptr<imaging::PictureSource> source;
    ASSERT_EQ(imaging::OpenMetafileSourceFromBytes(file, {}, source), Status::Ok);
    ASSERT_EQ(source->Dimensions().size(), 1u);
    EXPECT_EQ(source->Dimensions()[0].id, imaging::FrameDimensionPage);
    EXPECT_EQ(source->Dimensions()[0].frameCount, 1u);
    EXPECT_NEAR(source->HorizontalResolution(), 254.0, 0.01);
    EXPECT_NEAR(source->VerticalResolution(), 254.0, 0.01);
    PixelBuffer out;
    ASSERT_EQ(source->DecodeFrame(imaging::FrameDimensionPage, 0, out), Status::Ok);
    EXPECT_EQ(out.width(), 200);
    EXPECT_EQ(out.height(), 100);
    EXPECT_EQ(out.layout(), imaging::PixelLayout::Rgb8);
    // Nothing drawn: white everywhere.
    EXPECT_TRUE(Shows(out, {{0, 0, kWhite}, {199, 99, kWhite}}));
    EXPECT_NE(source->DecodeFrame(imaging::FrameDimensionPage, 1, out), Status::Ok);
}

TEST(MetafileEmf, RectangleLandsWhereTheMappingModeSays) {
    {  // MM_TEXT: logical units are device pixels.
        EmfWriter w = Picture();
        RedNoOutline(w).Record(EMR_RECTANGLE, {20, 10, 60, 50});
        EXPECT_TRUE(RendersAs(w.Finish(), {{40, 30, kRed, 8}, {15, 30, kWhite}, {70, 30, kWhite}, {40, 55, kWhite}}));
    }
    {  // MM_ANISOTROPIC: window 100 x 50 onto viewport 200 x 100 doubles everything.
        EmfWriter w = Picture();
        w.Record(EMR_SETMAPMODE, {MM_ANISOTROPIC}).Record(EMR_SETWINDOWEXTEX, {100, 50}).Record(EMR_SETVIEWPORTEXTEX, {200, 100});
        RedNoOutline(w).Record(EMR_RECTANGLE, {10, 10, 30, 20});
        EXPECT_TRUE(RendersAs(w.Finish(), {
            {25, 25, kRed, 8}, {58, 38, kRed, 8}, {15, 25, kWhite}, {65, 25, kWhite}, {40, 45, kWhite}
        }));
    }
    {  // MM_ISOTROPIC keeps units square: the smaller scale (x2) wins on both axes.
        EmfWriter w = Picture();
        w.Record(EMR_SETMAPMODE, {MM_ISOTROPIC}).Record(EMR_SETWINDOWEXTEX, {100, 10}).Record(EMR_SETVIEWPORTEXTEX, {200, 100});
        RedNoOutline(w).Record(EMR_RECTANGLE, {10, 10, 30, 20});
        EXPECT_TRUE(RendersAs(w.Finish(), {{40, 30, kRed, 8}, {40, 45, kWhite}}));
    }
    {  // MM_LOMETRIC: tenths of a millimetre, y upwards from the viewport origin.
        EmfWriter w = Picture();
        w.Record(EMR_SETMAPMODE, {MM_LOMETRIC}).Record(EMR_SETVIEWPORTORGEX, {0, 100});  // origin at the bottom-left
        RedNoOutline(w).Record(EMR_RECTANGLE, {50, 20, 100, 60});  // 5..10 mm right, 2..6 mm up
        PixelBuffer out;
        ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
        EXPECT_TRUE(Near(Pixel(out, 75, 60), kRed));  // x 7.5 mm, y 4 mm up from 10 mm
        EXPECT_TRUE(Shows(out, {{75, 85, kWhite}, {75, 35, kWhite}, {40, 60, kWhite}}));
    }
}

TEST(MetafileEmf, WorldTransformAndSavedStatesApply) {
    EmfWriter w = Picture();
    RedNoOutline(w);
    w.Record(EMR_SAVEDC, Bytes());
    Bytes shift;
    shift.f32(1).f32(0).f32(0).f32(1).f32(100).f32(0);
    w.Record(EMR_SETWORLDTRANSFORM, shift);
    w.Record(EMR_CREATEBRUSHINDIRECT, Brush(3, BS_SOLID, 0xFF0000)).Record(EMR_SELECTOBJECT, {3});  // blue
    w.Record(EMR_RECTANGLE, {10, 10, 30, 30});                       // lands at 110..130
    w.Record(EMR_RESTOREDC, {-1});                                   // red brush, no shift
    w.Record(EMR_RECTANGLE, {10, 60, 30, 80});
    EXPECT_TRUE(RendersAs(w.Finish(), {{120, 20, kBlue, 8}, {20, 20, kWhite}, {20, 70, kRed, 8}}));
}

TEST(MetafileEmf, ClippingLimitsWhatIsFilled) {
    EmfWriter w = Picture();
    RedNoOutline(w);
    w.Record(EMR_INTERSECTCLIPRECT, {50, 20, 150, 80});
    w.Record(EMR_EXCLUDECLIPRECT, {90, 40, 110, 60});  // a hole
    w.Record(EMR_RECTANGLE, {0, 0, 200, 100});
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    EXPECT_TRUE(Shows(out, {{30, 50, kWhite}, {70, 50, kRed, 8}, {100, 50, kWhite}, {70, 90, kWhite}}));

    // A region select with RGN_COPY and no data lifts the clipping again.
    EmfWriter again = Picture();
    RedNoOutline(again);
    again.Record(EMR_INTERSECTCLIPRECT, {0, 0, 10, 10});
    again.Record(EMR_EXTSELECTCLIPRGN, {0, 5});
    again.Record(EMR_RECTANGLE, {0, 0, 200, 100});
    ASSERT_EQ(Render(again.Finish(), out), Status::Ok);
    EXPECT_TRUE(Near(Pixel(out, 100, 50), kRed));
}

TEST(MetafileEmf, PathsFillAndClip) {
    EmfWriter w = Picture();
    RedNoOutline(w);
    w.Record(EMR_BEGINPATH, Bytes());
    Bytes triangle;
    triangle.i32(0).i32(0).i32(0).i32(0).u32(3).i32(10).i32(90).i32(90).i32(90).i32(50).i32(10);
    w.Record(EMR_POLYGON, triangle);
    w.Record(EMR_ENDPATH, Bytes());
    w.Record(EMR_FILLPATH, {0, 0, 0, 0});
    EXPECT_TRUE(RendersAs(w.Finish(), {{50, 70, kRed, 8}, {15, 20, kWhite}, {150, 50, kWhite}}));
}

TEST(MetafileEmf, TextAppearsInTextColourAtItsReference) {
    EmfWriter w = Picture();
    Bytes font;
    font.u32(1).i32(-40).i32(0).i32(0).i32(0).i32(700).u8(0).u8(0).u8(0).u8(0).u32(0);
    for (char c : QByteArray("Sans")) font.u16(static_cast<std::uint8_t>(c));
    while (font.size() < 4 + 92) font.u8(0);
    w.Record(EMR_EXTCREATEFONTINDIRECTW, font).Record(EMR_SELECTOBJECT, {1});
    w.Record(EMR_SETBKMODE, {TRANSPARENT});
    w.Record(EMR_SETTEXTCOLOR, {0x000000});   // black text
    Bytes text;
    text.i32(0).i32(0).i32(-1).i32(-1).u32(1).f32(1).f32(1);
    text.i32(10).i32(10).u32(5).u32(76).u32(0).i32(0).i32(0).i32(-1).i32(-1).u32(0);  // offString 76, no dx
    for (QChar c : QStringLiteral("HELLO")) text.u16(c.unicode());
    text.pad4();
    w.Record(EMR_EXTTEXTOUTW, text);
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    // Top-left aligned at (10, 10), 40 pixels high: ink below and right of it only.
    EXPECT_GT(CountDark(out, 10, 10, 190, 55), 200);
    EXPECT_EQ(CountDark(out, 0, 0, 200, 8), 0);
    EXPECT_EQ(CountDark(out, 0, 60, 200, 100), 0);
}

TEST(MetafileEmf, StretchDibitsLandsScaled) {
    EmfWriter w = Picture();
    const QByteArray info = Dib24Info(2, 2);
    const QByteArray bits = QuadrantBits();
    Bytes r;
    r.i32(0).i32(0).i32(0).i32(0);                  // bounds
    r.i32(100).i32(0).i32(0).i32(0).i32(2).i32(2);  // dest x, y; source x, y, cx, cy
    r.u32(80).u32(static_cast<std::uint32_t>(info.size())).u32(80 + static_cast<std::uint32_t>(info.size()))
        .u32(static_cast<std::uint32_t>(bits.size()));
    r.u32(0).u32(SRCCOPY).i32(100).i32(100);      // RGB colours, SRCCOPY, 100 x 100
    r.bytes(info).bytes(bits);
    w.Record(EMR_STRETCHDIBITS, r);
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    EXPECT_TRUE(ShowsQuadrants(out, 120, 180, 20, 80));
    EXPECT_EQ(Pixel(out, 50, 50), kWhite);
}

TEST(MetafileEmf, PenRasterOperationInvertsWhatIsUnder) {
    EmfWriter w = Picture();
    RedNoOutline(w).Record(EMR_RECTANGLE, {0, 0, 100, 100});
    w.Record(EMR_SETROP2, {R2_NOT});
    w.Record(EMR_RECTANGLE, {50, 0, 150, 100});
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    EXPECT_TRUE(Near(Pixel(out, 25, 50), kRed));
    EXPECT_TRUE(Near(Pixel(out, 75, 50), qRgb(0, 255, 255)));   // red inverted
    EXPECT_TRUE(Near(Pixel(out, 125, 50), kBlack));             // white inverted
}

TEST(MetafileEmf, HatchedBrushLeavesItsGapsInBackgroundColour) {
    EmfWriter w = Picture();
    w.Record(EMR_CREATEBRUSHINDIRECT, Brush(1, BS_HATCHED, 0x000000, HS_HORIZONTAL)).Record(EMR_SELECTOBJECT, {1});  // black horizontal hatch
    w.Record(EMR_CREATEPEN, NullPen(2)).Record(EMR_SELECTOBJECT, {2});
    w.Record(EMR_SETBKCOLOR, {0x00FF00});                                // green background, opaque
    w.Record(EMR_RECTANGLE, {0, 0, 200, 100});
    PixelBuffer out;
    ASSERT_EQ(Render(w.Finish(), out), Status::Ok);
    int black = 0, green = 0;
    for (int y = 20; y < 60; ++y) {
        black += Near(Pixel(out, 100, y), kBlack);
        green += Near(Pixel(out, 100, y), kGreen);
    }
    EXPECT_GT(black, 2);
    EXPECT_GT(green, 20);
    EXPECT_EQ(black + green, 40);
}

TEST(MetafileEmf, BrokenFilesFailCleanly) {
    const QByteArray good = [] {
        EmfWriter w = Picture();
        RedNoOutline(w).Record(EMR_RECTANGLE, {20, 10, 60, 50});
        return w.Finish();
    }();
    PixelBuffer out;
    // Cut inside a record.
    EXPECT_NE(Render(good.left(good.size() - 30), out), Status::Ok);
    // A record that claims more bytes than the file has.
    QByteArray claims = good;
    EmfWriter::Patch(claims, 88 + 4, 0x7FFFFFF0);
    EXPECT_NE(Render(claims, out), Status::Ok);
    // Sizes that are not multiples of four, or too small, are refused too.
    QByteArray odd = good;
    EmfWriter::Patch(odd, 88 + 4, 6);
    EXPECT_NE(Render(odd, out), Status::Ok);
    // Only the header: too short to be anything.
    EXPECT_NE(Render(good.left(40), out), Status::Ok);
}

TEST(MetafileEmf, BadFieldsInsideRecordsAreSkipped) {
    EmfWriter w = Picture();
    RedNoOutline(w);
    w.Record(EMR_SELECTOBJECT, {5000});                   // select an object that does not exist
    w.Record(EMR_DELETEOBJECT, {static_cast<std::int32_t>(0x7FFFFFFF)});
    Bytes poly;
    poly.i32(0).i32(0).i32(0).i32(0).u32(0x40000000).i32(1).i32(1);  // claims a billion points
    w.Record(EMR_POLYGON, poly);
    Bytes stretch;
    stretch.i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(2).i32(2);
    stretch.u32(80).u32(40).u32(0x7FFFFF00).u32(100).u32(0).u32(SRCCOPY).i32(10).i32(10);  // bits beyond
    stretch.bytes(Dib24Info(2, 2));
    w.Record(EMR_STRETCHDIBITS, stretch);
    w.Record(static_cast<EmfRecord>(99999), {1, 2, 3});             // unknown record
    w.Record(EMR_RECTANGLE, {20, 10, 60, 50});
    EXPECT_TRUE(RendersAs(w.Finish(), {{40, 30, kRed, 8}}));
}

TEST(MetafileEmf, AbsurdSizesAreRefusedBeforeAllocating) {
    // A frame of a kilometre at 10 pixels a millimetre.
    QByteArray huge = EmfWriter(100'000'000, 100'000'000, 200, 100, 20, 10).Finish();
    PixelBuffer out;
    EXPECT_EQ(Render(huge, out), Status::ValueOverflow);
    imaging::DecodeLimits small;
    small.maxPixels = 1000;
    EXPECT_EQ(Render(Picture().Finish(), out, small), Status::ValueOverflow);
}

TEST(MetafileEmf, PlaysStraightAtTheSizeAskedFor) {
    EmfWriter w = Picture();
    RedNoOutline(w).Record(EMR_RECTANGLE, {20, 10, 60, 50});
    std::unique_ptr<imaging::PictureSource> source;
    ASSERT_EQ(imaging::OpenMetafileSourceFromBytes(w.Finish(), {}, source), Status::Ok);
    PixelBuffer out;
    ASSERT_EQ(source->DecodeFrameForSize(imaging::FrameDimensionPage, 0, 600, 200, out), Status::Ok);
    EXPECT_EQ(out.width(), 600);
    EXPECT_EQ(out.height(), 200);
    // x three times, y twice: the rectangle covers 60..180 x 20..100.
    EXPECT_TRUE(Shows(out, {{120, 60, kRed, 8}, {50, 60, kWhite}, {190, 60, kWhite}, {120, 110, kWhite}}));
    // The limits hold for the size asked for as well.
    EXPECT_EQ(source->DecodeFrameForSize(imaging::FrameDimensionPage, 0, 70000, 10, out), Status::ValueOverflow);
}

TEST(MetafileEmf, EmfPlusRecordsAreSkippedAndPlusOnlyFilesRefused) {
    auto withPlusHeader = [](std::uint16_t flags) {
        EmfWriter w = Picture();
        Bytes comment;
        comment.u32(28).u32(0x2B464D45);                       // data size, "EMF+"
        comment.u16(0x4001).u16(flags).u32(28).u32(16).u32(0xDBC01002).u32(0).u32(96).u32(96);
        w.Record(EMR_GDICOMMENT, comment);
        RedNoOutline(w).Record(EMR_RECTANGLE, {20, 10, 60, 50});
        return w.Finish();
    };
    PixelBuffer out;
    ASSERT_EQ(Render(withPlusHeader(1), out), Status::Ok);  // dual: the EMF records are drawn
    EXPECT_TRUE(Near(Pixel(out, 40, 30), kRed));
    EXPECT_EQ(Render(withPlusHeader(0), out), Status::NotImplemented);
}
