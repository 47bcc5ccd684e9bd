// Camera RAW through LibRaw, on small DNG files written here: a CFA mosaic
// of 16-bit samples with the tags a DNG reader needs. Also the routing of
// TIFF files: a RAW goes to LibRaw even though a TIFF reader would read its
// TIFF structure, a plain TIFF with a camera's Make tag still goes to the
// TIFF reader.
#include "decode_test_pictures.h"

#include "tests/support/test_environment.h"

#include <QImage>

#include <algorithm>
#include <cstring>

using namespace imaging;
using namespace decode_test;

namespace {

// A little-endian TIFF with one directory; values that do not fit in an
// entry are placed after it, the image data last.
class TiffWriter {
public:
    void Add(std::uint16_t tag, std::uint16_t type, std::uint32_t count, const QByteArray& values) {
        entries_.push_back({tag, type, count, values});
    }
    void Short(std::uint16_t tag, std::vector<std::uint16_t> v) {
        QByteArray b;
        for (std::uint16_t x : v) b.append(char(x & 0xFF)).append(char(x >> 8));
        Add(tag, 3, std::uint32_t(v.size()), b);
    }
    void Long(std::uint16_t tag, std::uint32_t v) { Add(tag, 4, 1, Le32(v)); }
    void Bytes(std::uint16_t tag, std::vector<std::uint8_t> v) {
        Add(tag, 1, std::uint32_t(v.size()), QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size())));
    }
    void Ascii(std::uint16_t tag, const char* text) {
        const QByteArray b(text, int(std::strlen(text)) + 1);
        Add(tag, 2, std::uint32_t(b.size()), b);
    }
    void Rationals(std::uint16_t tag, std::uint16_t type, std::vector<std::pair<std::int32_t, std::int32_t>> v) {
        QByteArray b;
        for (auto [n, d] : v) b.append(Le32(std::uint32_t(n))).append(Le32(std::uint32_t(d)));
        Add(tag, type, std::uint32_t(v.size()), b);
    }

    // Lays the file out; the strip offset and byte count tags are added here.
    QByteArray Build(const QByteArray& imageData) {
        Long(273, 0);  // patched below
        Long(279, std::uint32_t(imageData.size()));
        std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
        const std::uint32_t ifdSize = 2 + std::uint32_t(entries_.size()) * 12 + 4;
        std::uint32_t external = 8 + ifdSize;
        std::uint32_t dataOffset = external;
        for (const Entry& e : entries_)
            if (e.values.size() > 4) dataOffset += std::uint32_t((e.values.size() + 1) & ~1);
        QByteArray out("II*\0", 4);
        out.append(Le32(8));
        out.append(char(entries_.size() & 0xFF)).append(char(entries_.size() >> 8));
        QByteArray tail;
        for (Entry& e : entries_) {
            if (e.tag == 273) e.values = Le32(dataOffset);
            out.append(char(e.tag & 0xFF)).append(char(e.tag >> 8)).append(char(e.type)).append(char(0));
            out.append(Le32(e.count));
            if (e.values.size() <= 4) {
                out.append(e.values.leftJustified(4, '\0'));
            } else {
                out.append(Le32(external + std::uint32_t(tail.size())));
                tail.append(e.values);
                if (tail.size() % 2) tail.append(char(0));
            }
        }
        out.append(Le32(0));
        out.append(tail);
        out.append(imageData);
        return out;
    }

private:
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t count;
        QByteArray values;
    };
    static QByteArray Le32(std::uint32_t v) {
        QByteArray b;
        for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 0xFF));
        return b;
    }
    std::vector<Entry> entries_;
};

// A DNG of width x height RGGB samples; `level(x, y)` gives the linear
// sample, the same for every colour, so the picture is grey.
QByteArray MakeDng(int width, int height, int orientation, const std::function<std::uint16_t(int, int)>& level) {
    TiffWriter t;
    t.Long(254, 0);
    t.Long(256, std::uint32_t(width));
    t.Long(257, std::uint32_t(height));
    t.Short(258, {16});
    t.Short(259, {1});
    t.Short(262, {32803});  // CFA
    t.Ascii(271, "Tessaline");
    t.Ascii(272, "Test Camera");
    t.Short(274, {std::uint16_t(orientation)});
    t.Short(277, {1});
    t.Long(278, std::uint32_t(height));
    t.Short(284, {1});
    t.Short(33421, {2, 2});
    t.Bytes(33422, {0, 1, 1, 2});
    t.Bytes(50706, {1, 4, 0, 0});
    t.Bytes(50707, {1, 1, 0, 0});
    t.Ascii(50708, "Tessaline Test Camera");
    t.Long(50717, 65535);
    // XYZ to camera: the camera sees linear sRGB.
    t.Rationals(50721, 10, {{32406, 10000}, {-15372, 10000}, {-4986, 10000},
                            {-9689, 10000}, {18758, 10000}, {415, 10000},
                            {557, 10000}, {-2040, 10000}, {10570, 10000}});
    t.Rationals(50728, 5, {{1, 1}, {1, 1}, {1, 1}});
    t.Short(50778, {21});  // D65
    QByteArray data;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint16_t v = level(x, y);
            data.append(char(v & 0xFF)).append(char(v >> 8));
        }
    return t.Build(data);
}

class RawDecode : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const char* name) const { return folder + "/" + name; }
};

TEST_F(RawDecode, DngIsDevelopedByLibRawAtFullSizeAndNeutral) {
    // Dark left half, bright right half.
    WriteBytes(Path("shot.dng"), MakeDng(96, 64, 1, [](int x, int) { return std::uint16_t(x < 48 ? 0x1000 : 0x6000); }));
    std::unique_ptr<PictureSource> source;
    ASSERT_EQ(OpenPictureSource(Path("shot.dng"), DecodeLimits{}, source), Status::Ok);
    ASSERT_EQ(source->Dimensions().size(), 1u);
    EXPECT_EQ(source->Dimensions()[0].id, FrameDimensionPage);
    EXPECT_EQ(source->Dimensions()[0].frameCount, 1u);
    int w = 0, h = 0;
    ASSERT_EQ(source->FrameSize(FrameDimensionPage, 0, w, h), Status::Ok);
    EXPECT_EQ(w, 96);
    EXPECT_EQ(h, 64);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    EXPECT_EQ(p.width(), 96);  // full size, not half
    EXPECT_EQ(p.height(), 64);
    EXPECT_EQ(p.layout(), PixelLayout::Rgb8);
    const Rgb dark = PixelAt(p, 20, 32), bright = PixelAt(p, 76, 32);
    EXPECT_NEAR(dark.r, dark.g, 12);
    EXPECT_NEAR(dark.b, dark.g, 12);
    EXPECT_NEAR(bright.r, bright.g, 12);
    EXPECT_NEAR(bright.b, bright.g, 12);
    EXPECT_GT(bright.g, dark.g + 40);
    EXPECT_GT(dark.g, 10);  // the sRGB curve lifts the shadows

}

TEST_F(RawDecode, DngOrientationTurnsThePictureUpright) {
    WriteBytes(Path("turned.dng"), MakeDng(96, 64, 6, [](int x, int) { return std::uint16_t(x < 48 ? 0x1000 : 0x6000); }));
    std::unique_ptr<PictureSource> source;
    ASSERT_EQ(OpenPictureSource(Path("turned.dng"), DecodeLimits{}, source), Status::Ok);
    int w = 0, h = 0;
    ASSERT_EQ(source->FrameSize(FrameDimensionPage, 0, w, h), Status::Ok);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 96);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    EXPECT_EQ(p.width(), 64);
    EXPECT_EQ(p.height(), 96);
    // The stored left (dark) half is now the top half.
    EXPECT_LT(PixelAt(p, 32, 20).g + 40, PixelAt(p, 32, 76).g);
}

TEST_F(RawDecode, TruncatedOrEmptiedRawFilesAreRefused) {
    const QByteArray whole = MakeDng(96, 64, 1, [](int x, int y) { return std::uint16_t((x * y * 37) & 0x7FFF); });
    WriteBytes(Path("cut.dng"), whole.left(whole.size() - 1000));
    std::unique_ptr<PictureSource> source;
    PixelBuffer p;
    EXPECT_NE(OpenAndDecode(Path("cut.dng"), p), Status::Ok);
    WriteBytes(Path("header.dng"), whole.left(600));
    EXPECT_NE(OpenAndDecode(Path("header.dng"), p), Status::Ok);
    // A RAW container signature with nothing behind it.
    WriteBytes(Path("empty.raf"), QByteArray("FUJIFILMCCD-RAW 0201FF383501", 28));
    EXPECT_NE(OpenPictureSource(Path("empty.raf"), DecodeLimits{}, source), Status::Ok);
    WriteBytes(Path("empty.cr2"), QByteArray("II*\0\x10\0\0\0CR\x02\0", 12));
    EXPECT_NE(OpenPictureSource(Path("empty.cr2"), DecodeLimits{}, source), Status::Ok);
}

TEST_F(RawDecode, RawSizeIsCheckedAgainstTheLimits) {
    WriteBytes(Path("shot.dng"), MakeDng(96, 64, 1, [](int, int) { return std::uint16_t(0x2000); }));
    DecodeLimits tight;
    tight.maxPixels = 96 * 64 - 1;
    std::unique_ptr<PictureSource> source;
    EXPECT_EQ(OpenPictureSource(Path("shot.dng"), tight, source), Status::OutOfMemory);
}

TEST_F(RawDecode, DamagedFilesOfEveryFormatNeverCrash) {
    // Deterministic damage (bytes overwritten at spread-out places) to one
    // file of each decoder; any status is fine, a crash or hang is not.
    std::vector<QByteArray> files;
    files.push_back(MakeDng(48, 32, 1, [](int x, int y) { return std::uint16_t(x * y * 40); }));
    ASSERT_TRUE(WriteJpeg(Path("j.jpg"), 48, 32, [](int x, int y) { return Rgb{x * 5, y * 7, 100}; }));
    files.push_back(ReadBytes(Path("j.jpg")));
    QImage image(48, 32, QImage::Format_ARGB32);
    image.fill(qRgba(10, 200, 30, 128));
    for (const char* format : {"png", "bmp", "tiff", "webp", "ico"}) {
        const QString path = Path("q.") + format;
        ASSERT_TRUE(image.save(path, format));
        files.push_back(ReadBytes(path));
    }
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (std::size_t f = 0; f < files.size(); ++f) {
        for (int round = 0; round < 12; ++round) {
            QByteArray damaged = files[f];
            for (int k = 0; k < 1 + round % 4; ++k) damaged[int(next() % damaged.size())] = char(next() & 0xFF);
            const QString path = Path("damaged");
            WriteBytes(path, damaged);
            std::unique_ptr<PictureSource> source;
            if (OpenPictureSource(path, DecodeLimits{}, source) != Status::Ok) continue;
            for (const FrameDimension& d : source->Dimensions())
                for (std::uint32_t i = 0; i < std::min(d.frameCount, 4u); ++i) {
                    PixelBuffer p;
                    if (source->DecodeFrame(d.id, i, p) == Status::Ok) {
                        EXPECT_GT(p.width(), 0);
                    } else {
                        EXPECT_TRUE(p.empty());
                    }
                }
        }
    }
}

TEST_F(RawDecode, PlainTiffWithACameraMakeIsReadAsATiff) {
    TiffWriter t;
    t.Long(256, 4);
    t.Long(257, 2);
    t.Short(258, {8, 8, 8});
    t.Short(259, {1});
    t.Short(262, {2});  // RGB
    t.Ascii(271, "Canon");
    t.Short(277, {3});
    t.Long(278, 2);
    t.Short(284, {1});
    QByteArray data;
    for (int i = 0; i < 8; ++i) data.append(char(200)).append(char(100)).append(char(50));
    WriteBytes(Path("scan.tif"), t.Build(data));
    PixelBuffer p;
    ASSERT_EQ(OpenAndDecode(Path("scan.tif"), p), Status::Ok);
    EXPECT_EQ(p.width(), 4);
    EXPECT_EQ(p.height(), 2);
    EXPECT_TRUE(Near(PixelAt(p, 3, 1), {200, 100, 50}, 0));
}

}  // namespace
