// Icons and cursors read by our own reader: every colour depth with its
// AND mask as alpha, 32-bit pixels with alpha of their own, PNG entries,
// pages in directory order, and directories or headers that state sizes
// the file does not hold.
#include "decode_test_pictures.h"

#include "imaging/decode/file_signature.h"
#include "tests/support/test_environment.h"

#include <QBuffer>
#include <QImage>

using namespace imaging;
using namespace decode_test;

namespace {

QByteArray Le16(int v) { return QByteArray(1, char(v & 0xFF)).append(char((v >> 8) & 0xFF)); }
QByteArray Le32(std::uint32_t v) { return Le16(int(v & 0xFFFF)).append(Le16(int(v >> 16))); }

// One bitmap entry: `colour(x, y)` is a palette index at 1 to 8 bits,
// else 0xAARRGGBB; `masked(x, y)` sets the AND mask bit. `statedHeight`
// replaces the header's doubled height when not 0.
QByteArray BitmapEntry(int w, int h, int bits, const std::vector<Rgb>& palette,
                       const std::function<std::uint32_t(int, int)>& colour,
                       const std::function<bool(int, int)>& masked, int statedHeight = 0) {
    QByteArray b = Le32(40) + Le32(std::uint32_t(w)) + Le32(std::uint32_t(statedHeight ? statedHeight : 2 * h));
    b += Le16(1) + Le16(bits) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0);
    if (bits <= 8)
        for (int i = 0; i < (1 << bits); ++i) {
            const Rgb c = i < int(palette.size()) ? palette[i] : Rgb{0, 0, 0};
            b.append(char(c.b)).append(char(c.g)).append(char(c.r)).append(char(0));
        }
    const int stride = (w * bits + 31) / 32 * 4, maskStride = (w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {  // bottom-up
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = colour(x, y);
            if (bits <= 8) row[x * bits / 8] = char(row[x * bits / 8] | (v << (8 - bits - (x * bits) % 8)));
            for (int k = 0; bits > 8 && k < bits / 8; ++k) row[x * bits / 8 + k] = char((v >> (8 * k)) & 0xFF);
        }
        b += row;
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (masked(x, y)) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        b += row;
    }
    return b;
}

struct Entry {
    int width, height;  // as the directory states them
    QByteArray data;
    int statedSize = -1;  // the directory's byte count, when it lies
};

QByteArray MakeIcon(const std::vector<Entry>& entries, int type = 1) {
    QByteArray b = Le16(0) + Le16(type) + Le16(int(entries.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(entries.size());
    for (const Entry& e : entries) {
        b.append(char(e.width & 0xFF)).append(char(e.height & 0xFF)).append(char(0)).append(char(0));
        b += Le16(type == 1 ? 1 : 0) + Le16(0);
        b += Le32(std::uint32_t(e.statedSize >= 0 ? e.statedSize : int(e.data.size()))) + Le32(offset);
        offset += std::uint32_t(e.data.size());
    }
    for (const Entry& e : entries) b += e.data;
    return b;
}

const std::vector<Rgb> kPalette = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 255}};
// Index (x + y) % 4 at every depth; pixel (1, 1) masked.
std::uint32_t Diagonal(int x, int y) { return std::uint32_t((x + y) % 4); }
bool CentreMasked(int x, int y) { return x == 1 && y == 1; }
bool NoneMasked(int, int) { return false; }

class IcoDecode : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Write(const QString& name, const QByteArray& bytes) {
        WriteBytes(folder + "/" + name, bytes);
        return folder + "/" + name;
    }
    std::unique_ptr<PictureSource> Open(const QString& path) {
        std::unique_ptr<PictureSource> source;
        EXPECT_EQ(OpenPictureSource(path, DecodeLimits{}, source), Status::Ok) << qPrintable(path);
        return source;
    }
};

TEST_F(IcoDecode, EveryDepthWithItsMaskIsAPage) {
    std::vector<Entry> entries;
    for (int bits : {1, 4, 8}) {
        const auto index = [bits](int x, int y) { return bits == 1 ? Diagonal(x, y) % 2 : Diagonal(x, y); };
        entries.push_back({5, 3, BitmapEntry(5, 3, bits, kPalette, index, CentreMasked)});
    }
    const auto rgb = [](int x, int y) {
        const Rgb c = kPalette[Diagonal(x, y)];
        return std::uint32_t(c.r << 16 | c.g << 8 | c.b);
    };
    entries.push_back({5, 3, BitmapEntry(5, 3, 24, {}, rgb, CentreMasked)});
    auto source = Open(Write("depths.ico", MakeIcon(entries)));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Dimensions()[0].id, FrameDimensionPage);
    ASSERT_EQ(source->Dimensions()[0].frameCount, 4u);
    for (std::uint32_t page = 0; page < 4; ++page) {
        SCOPED_TRACE(page);
        PixelBuffer p;
        ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, page, p), Status::Ok);
        ASSERT_EQ(p.width(), 5);
        ASSERT_EQ(p.height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                const std::uint32_t index = page == 0 ? Diagonal(x, y) % 2 : Diagonal(x, y);
                EXPECT_TRUE(Near(PixelAt(p, x, y), kPalette[index], 0)) << x << "," << y;
                EXPECT_EQ(AlphaAt(p, x, y), CentreMasked(x, y) ? 0 : 255) << x << "," << y;
            }
    }
}

TEST_F(IcoDecode, ThirtyTwoBitPixelsKeepTheirAlphaElseTheMaskDecides) {
    const auto translucent = [](int x, int) { return std::uint32_t(x * 60) << 24 | 0x00FF8000u; };
    const auto noAlpha = [](int, int) { return 0x00FF8000u; };
    auto source = Open(Write("alpha.ico", MakeIcon({{4, 2, BitmapEntry(4, 2, 32, {}, translucent, CentreMasked)},
                                                    {4, 2, BitmapEntry(4, 2, 32, {}, noAlpha, CentreMasked)}})));
    ASSERT_TRUE(source);
    PixelBuffer own, masked;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, own), Status::Ok);
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 1, masked), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(own, 3, 0), {255, 128, 0}, 0));
    EXPECT_EQ(AlphaAt(own, 3, 0), 180);
    EXPECT_EQ(AlphaAt(own, 1, 1), 60);  // the mask is not used
    EXPECT_EQ(AlphaAt(masked, 1, 1), 0);
    EXPECT_EQ(AlphaAt(masked, 2, 1), 255);
}

TEST_F(IcoDecode, PngEntriesGoThroughThePngReader) {
    QImage image(6, 4, QImage::Format_ARGB32);
    image.fill(qRgba(10, 200, 30, 255));
    image.setPixel(2, 3, qRgba(0, 0, 255, 128));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "PNG"));
    // The directory's byte count is too small: the PNG's chunks say where it ends.
    const QString path = Write("png.ico", MakeIcon({{6, 4, png, 16}}));
    auto source = Open(path);
    ASSERT_TRUE(source);
    int w = 0, h = 0;
    ASSERT_EQ(source->FrameSize(FrameDimensionPage, 0, w, h), Status::Ok);
    EXPECT_EQ(QSize(w, h), QSize(6, 4));
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {10, 200, 30}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 2, 3), {0, 0, 255}, 0));
    EXPECT_EQ(AlphaAt(p, 2, 3), 128);

    // A PNG cut short fails.
    const QByteArray whole = ReadBytes(path);
    std::unique_ptr<PictureSource> cut;
    EXPECT_NE(OpenPictureSource(Write("cut.ico", whole.left(whole.size() - 20)), DecodeLimits{}, cut), Status::Ok);
}

TEST_F(IcoDecode, TheSizeTheFileHoldsIsBelieved) {
    const QByteArray rows = BitmapEntry(4, 4, 8, kPalette, Diagonal, NoneMasked);
    // The directory says 4 x 8 and a byte count of 8; the header is right.
    std::vector<Entry> lyingDirectory = {{4, 8, rows, 8}};
    // The header claims 65535 rows; the directory's 4 x 4 is what the file holds.
    std::vector<Entry> lyingHeader = {{4, 4, BitmapEntry(4, 4, 8, kPalette, Diagonal, NoneMasked, 65535)}};
    for (const auto& [name, icon] : {std::pair{"dir.cur", MakeIcon(lyingDirectory, 2)},
                                     std::pair{"header.ico", MakeIcon(lyingHeader)}}) {
        SCOPED_TRACE(name);
        auto source = Open(Write(name, icon));
        ASSERT_TRUE(source);
        PixelBuffer p;
        ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
        EXPECT_EQ(QSize(p.width(), p.height()), QSize(4, 4));
        EXPECT_TRUE(Near(PixelAt(p, 3, 2), kPalette[1], 0));
    }
    // Rows missing for either size, or an entry outside the file: refused.
    const QByteArray whole = MakeIcon({{4, 4, rows}});
    QByteArray outside = whole;
    outside.replace(18, 4, Le32(std::uint32_t(whole.size())));
    for (const auto& [name, icon] : {std::pair{"short.ico", whole.left(whole.size() - 20)},
                                     std::pair{"outside.ico", outside}}) {
        std::unique_ptr<PictureSource> source;
        EXPECT_NE(OpenPictureSource(Write(name, icon), DecodeLimits{}, source), Status::Ok) << name;
        EXPECT_FALSE(source) << name;
    }
}

TEST_F(IcoDecode, OnlyAnIconDirectoryIsTakenForOne) {
    const QByteArray icon = MakeIcon({{4, 4, BitmapEntry(4, 4, 8, kPalette, Diagonal, NoneMasked)}});
    EXPECT_EQ(decode::SniffFileKind(icon), decode::FileKind::Icon);
    EXPECT_EQ(decode::SniffFileKind(MakeIcon({{4, 4, QByteArray(64, '\0')}}, 2)), decode::FileKind::Icon);
    // An uncompressed true-colour TGA starts with the cursor's four bytes.
    QByteArray tga("\0\0\2\0\0\0\0\0\0\0\0\0\4\0\4\0\x18\0", 18);
    tga.append(QByteArray(48, '\x7F'));
    EXPECT_NE(decode::SniffFileKind(tga), decode::FileKind::Icon);
    EXPECT_NE(decode::SniffFileKind(MakeIcon({}, 1) + QByteArray(64, '\0')), decode::FileKind::Icon);
}

}  // namespace
