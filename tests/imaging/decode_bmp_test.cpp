// OS/2 1.x bitmaps whose colour table is shorter than their depth allows:
// read by our bitmap reader, the rows found after the table the file has.
#include "decode_test_pictures.h"

#include "imaging/decode/file_signature.h"
#include "tests/support/test_environment.h"

using namespace imaging;
using namespace decode_test;

namespace {

// An 8-bit OS/2 BMP of 3 x 2 pixels with `entries` colour table entries;
// pixel (x, y) has index x + y.
QByteArray MakeCoreBmp(int entries) {
    const std::vector<Rgb> table = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    QByteArray pixels;
    for (int y = 1; y >= 0; --y)  // bottom-up, rows padded to 4 bytes
        pixels.append(char(y)).append(char(1 + y)).append(char(2 + y)).append(char(0));
    const int rowsAt = 14 + 12 + 3 * entries;
    QByteArray b("BM");
    const auto le = [&b](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b.append(char((v >> (8 * i)) & 0xFF));
    };
    le(std::uint32_t(rowsAt + pixels.size()), 4);
    le(0, 4);
    le(std::uint32_t(rowsAt), 4);
    le(12, 4);
    le(3, 2);
    le(2, 2);
    le(1, 2);
    le(8, 2);
    for (int i = 0; i < entries; ++i) b.append(char(table[i % 4].b)).append(char(table[i % 4].g)).append(char(table[i % 4].r));
    return b + pixels;
}

TEST(CoreBitmapDecode, AShortColourTableIsReadAsTheFileHasIt) {
    const QString folder = MakeTempFolder();
    const QByteArray shortTable = MakeCoreBmp(4);
    EXPECT_EQ(decode::SniffFileKind(shortTable), decode::FileKind::CoreBitmap);
    EXPECT_EQ(decode::SniffFileKind(MakeCoreBmp(256)), decode::FileKind::Other);  // Qt reads these right
    WriteBytes(folder + "/short.bmp", shortTable);
    PixelBuffer p;
    ASSERT_EQ(OpenAndDecode(folder + "/short.bmp", p), Status::Ok);
    ASSERT_EQ(QSize(p.width(), p.height()), QSize(3, 2));
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 2, 0), {0, 0, 255}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 2, 1), {255, 255, 255}, 0));
    // Rows cut short: refused.
    WriteBytes(folder + "/cut.bmp", shortTable.left(shortTable.size() - 3));
    EXPECT_NE(OpenAndDecode(folder + "/cut.bmp", p), Status::Ok);
}

}  // namespace
