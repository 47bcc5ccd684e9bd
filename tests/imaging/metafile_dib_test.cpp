// Bitmaps inside metafile records: each bit depth and compression the
// player decodes, and headers that promise more than the bytes hold.

#include "imaging/metafile/dib.h"
#include "metafile_writer.h"

#include <gtest/gtest.h>

using namespace metafile_test;
using imaging::metafile::ByteReader;
using imaging::metafile::DecodeDib;
using imaging::metafile::DecodePackedDib;
using imaging::metafile::DibRequest;

namespace {

ByteReader Over(const QByteArray& b) {
    return ByteReader(reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size()));
}

QByteArray Info(int w, int h, int bits, std::uint32_t compression, std::uint32_t colors = 0) {
    Bytes b;
    b.u32(40).i32(w).i32(h).u16(1).u16(static_cast<std::uint16_t>(bits)).u32(compression).u32(0).i32(0).i32(0)
        .u32(colors).u32(0);
    return b.data();
}

}  // namespace

TEST(MetafileDib, PalettedDepthsReadTheirColourTable) {
    // 1 bit, 3 x 2, bottom-up: the bottom row is 1 0 1, the top row 0 1 0.
    Bytes b;
    b.bytes(Info(3, 2, 1, 0, 2)).u8(0).u8(0).u8(255).u8(0).u8(255).u8(0).u8(0).u8(0);  // red, blue
    b.u32(0xA0).u32(0x40);
    const std::optional<imaging::metafile::Dib> dib = DecodePackedDib(Over(b.data()), DibRequest{});
    ASSERT_TRUE(dib);
    EXPECT_TRUE(dib->bottomUp);
    EXPECT_EQ(dib->image.pixel(0, 1) & 0xFFFFFF, kBlue & 0xFFFFFF);
    EXPECT_EQ(dib->image.pixel(1, 1) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(dib->image.pixel(0, 0) & 0xFFFFFF, kRed & 0xFFFFFF);
    EXPECT_EQ(dib->image.pixel(1, 0) & 0xFFFFFF, kBlue & 0xFFFFFF);

    // 4 bit, colour indices 1 and 2.
    Bytes f;
    f.bytes(Info(2, 1, 4, 0, 3)).u32(0).u32(0x00FF00).u32(0x0000FF).u8(0x12).u8(0).u8(0).u8(0);
    const auto four = DecodePackedDib(Over(f.data()), DibRequest{});
    ASSERT_TRUE(four);
    EXPECT_EQ(four->image.pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(four->image.pixel(1, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST(MetafileDib, TrueColourAndBitFields) {
    // 16-bit 5-6-5 bit fields, top-down (negative height).
    Bytes b;
    b.bytes(Info(2, -1, 16, 3)).u32(0xF800).u32(0x07E0).u32(0x001F);
    b.u16(0xF800).u16(0x07E0);
    const auto dib = DecodePackedDib(Over(b.data()), DibRequest{});
    ASSERT_TRUE(dib);
    EXPECT_FALSE(dib->bottomUp);
    EXPECT_EQ(dib->image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(dib->image.pixel(1, 0) & 0xFFFFFF, 0x00FF00u);

    // 32-bit: the fourth byte is padding unless alpha is asked for.
    Bytes t;
    t.bytes(Info(1, 1, 32, 0)).u8(0x30).u8(0x20).u8(0x10).u8(0x80);
    DibRequest alpha;
    alpha.keepAlpha = true;
    EXPECT_EQ(DecodePackedDib(Over(t.data()), DibRequest{})->image.pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(DecodePackedDib(Over(t.data()), alpha)->image.pixel(0, 0), 0x80102030u);
}

TEST(MetafileDib, RunLengthEncodedRows) {
    // RLE8 4 x 2: bottom row a run of four index-1 pixels, top row two
    // literal pixels 0, 1 then end of bitmap.
    Bytes b;
    b.bytes(Info(4, 2, 8, 1, 2)).u32(0x000000).u32(0xFFFFFF);
    b.u8(4).u8(1).u8(0).u8(0);          // run, end of line
    b.u8(0).u8(3).u8(0).u8(1).u8(1).u8(0);  // literal of three (padded)
    b.u8(0).u8(1);                       // end of bitmap
    const auto dib = DecodePackedDib(Over(b.data()), DibRequest{});
    ASSERT_TRUE(dib);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dib->image.pixel(x, 1) & 0xFFFFFF, 0xFFFFFFu) << x;
    EXPECT_EQ(dib->image.pixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(dib->image.pixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);

    // A literal run longer than the bytes left is refused.
    Bytes cut;
    cut.bytes(Info(4, 2, 8, 1, 2)).u32(0).u32(0xFFFFFF).u8(0).u8(200).u8(1);
    EXPECT_FALSE(DecodePackedDib(Over(cut.data()), DibRequest{}));
}

TEST(MetafileDib, HeadersPromisingMoreThanTheBytesAreRefused) {
    const QByteArray info = Dib24Info(100, 100);
    const QByteArray rows = Dib24Bits({{kRed}}).repeated(10);
    EXPECT_FALSE(DecodeDib(Over(info), Over(rows), DibRequest{}));
    EXPECT_FALSE(DecodeDib(Over(info.left(20)), Over(rows), DibRequest{}));
    EXPECT_FALSE(DecodeDib(Over(Info(0, 5, 24, 0)), Over(rows), DibRequest{}));
    EXPECT_FALSE(DecodeDib(Over(Info(5, 5, 7, 0)), Over(rows), DibRequest{}));
    DibRequest tiny;
    tiny.maxPixels = 50;
    EXPECT_FALSE(DecodeDib(Over(info), Over(Dib24Bits(std::vector<std::vector<QRgb>>(100, std::vector<QRgb>(100, kRed)))), tiny));
}
