// TIFF pictures read through libtiff, written here with libtiff itself so
// that every pixel is known: bit depths from 1 to 32 and floats, planar
// and tiled layouts, palettes, CMYK, alpha, pages, orientation,
// resolution, and damaged files that must be refused.
#include "decode_test_pictures.h"

#include "tests/support/test_environment.h"

#include <tiffio.h>

#include <cstring>
#include <thread>

using namespace imaging;
using namespace decode_test;

namespace {

// One page to write: `data` holds the whole picture as stored, rows of
// interleaved samples (chunky) or plane after plane (planar), rows padded
// to whole bytes.
struct Page {
    int width = 4, height = 2;
    int bits = 8, samples = 3;
    int photometric = PHOTOMETRIC_RGB;
    int format = SAMPLEFORMAT_UINT;
    bool planar = false;
    int tile = 0;  // tile side when tiled
    std::vector<std::uint16_t> extra;
    std::vector<std::uint16_t> colormap;  // r, g, b tables one after the other
    int orientation = 0;
    float xres = 0, yres = 0;
    int unit = RESUNIT_INCH;
    std::vector<std::uint8_t> data;

    std::size_t RowBytes() const {
        return (static_cast<std::size_t>(width) * bits * (planar ? 1 : samples) + 7) / 8;
    }
};

// A page of the given size and sample layout, the rest left as it is above.
Page MakePage(int width, int height, int bits, int samples, int photometric = PHOTOMETRIC_RGB) {
    Page p;
    p.width = width;
    p.height = height;
    p.bits = bits;
    p.samples = samples;
    p.photometric = photometric;
    return p;
}

void SetTags(TIFF* t, const Page& p) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, p.width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, p.height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, p.bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, p.samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, p.photometric);
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, p.format);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, p.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    if (!p.extra.empty()) TIFFSetField(t, TIFFTAG_EXTRASAMPLES, static_cast<std::uint16_t>(p.extra.size()), p.extra.data());
    if (!p.colormap.empty()) {
        const std::size_t n = p.colormap.size() / 3;
        TIFFSetField(t, TIFFTAG_COLORMAP, p.colormap.data(), p.colormap.data() + n, p.colormap.data() + 2 * n);
    }
    if (p.orientation) TIFFSetField(t, TIFFTAG_ORIENTATION, p.orientation);
    if (p.xres > 0) {
        TIFFSetField(t, TIFFTAG_XRESOLUTION, p.xres);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, p.yres);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, p.unit);
    }
    if (p.tile) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, p.tile);
        TIFFSetField(t, TIFFTAG_TILELENGTH, p.tile);
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, p.height);
    }
}

// Tiles cut from the picture, edge tiles padded with zeros (whole bytes
// per pixel only).
bool WriteTiles(TIFF* t, const Page& p) {
    const std::size_t pixelBytes = static_cast<std::size_t>(p.bits / 8) * (p.planar ? 1 : p.samples);
    const int planes = p.planar ? p.samples : 1;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(p.tile) * p.tile * pixelBytes);
    for (int plane = 0; plane < planes; ++plane)
        for (int ty = 0; ty < p.height; ty += p.tile)
            for (int tx = 0; tx < p.width; tx += p.tile) {
                std::fill(tile.begin(), tile.end(), 0);
                for (int y = ty; y < std::min(p.height, ty + p.tile); ++y) {
                    const std::size_t from = (static_cast<std::size_t>(plane) * p.height + y) * p.RowBytes() + tx * pixelBytes;
                    const std::size_t count = std::min(p.tile, p.width - tx) * pixelBytes;
                    std::memcpy(tile.data() + (y - ty) * p.tile * pixelBytes, p.data.data() + from, count);
                }
                if (TIFFWriteTile(t, tile.data(), tx, ty, 0, static_cast<std::uint16_t>(plane)) < 0) return false;
            }
    return true;
}

bool WriteTiff(const QString& path, const std::vector<Page>& pages) {
    TIFF* t = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!t) return false;
    bool ok = true;
    for (const Page& p : pages) {
        SetTags(t, p);
        if (p.tile) {
            ok = ok && WriteTiles(t, p);
        } else {
            const int planes = p.planar ? p.samples : 1;
            const std::size_t planeBytes = p.RowBytes() * p.height;
            for (int plane = 0; plane < planes; ++plane)
                ok = ok && TIFFWriteEncodedStrip(t, static_cast<std::uint32_t>(plane),
                                                 const_cast<std::uint8_t*>(p.data.data()) + plane * planeBytes,
                                                 static_cast<tmsize_t>(planeBytes)) >= 0;
        }
        ok = ok && TIFFWriteDirectory(t);
    }
    TIFFClose(t);
    return ok;
}

template <typename T>
void Append(std::vector<std::uint8_t>& data, T value) {
    std::uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof value);
    data.insert(data.end(), bytes, bytes + sizeof(T));
}

class TiffDecode : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const QString& name) const { return folder + "/" + name; }

    // Writes the pages and decodes page `index`.
    Status Decode(const std::vector<Page>& pages, PixelBuffer& out, std::uint32_t index = 0) {
        const QString path = Path("t.tif");
        EXPECT_TRUE(WriteTiff(path, pages));
        std::unique_ptr<PictureSource> source;
        if (Status s = OpenPictureSource(path, DecodeLimits{}, source); s != Status::Ok) return s;
        return source->DecodeFrame(FrameDimensionPage, index, out);
    }
};

TEST_F(TiffDecode, LowBitDepthsAndMinIsWhiteScaleToTheFullRange) {
    Page one = MakePage(10, 1, 1, 1, PHOTOMETRIC_MINISBLACK);
    one.data = {0b10100000, 0b01000000};
    PixelBuffer p;
    ASSERT_EQ(Decode({one}, p), Status::Ok);
    EXPECT_EQ(p.layout(), PixelLayout::Rgb8);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 255, 255}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 9, 0), {255, 255, 255}, 0));

    Page four = MakePage(3, 1, 4, 1, PHOTOMETRIC_MINISWHITE);
    four.data = {0x0F, 0x50};  // 0, 15, 5
    ASSERT_EQ(Decode({four}, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 255, 255}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 2, 0), {170, 170, 170}, 0));

    Page twelve = MakePage(2, 1, 12, 1, PHOTOMETRIC_MINISBLACK);
    twelve.data = {0xFF, 0xF8, 0x00};  // 4095, 2048
    ASSERT_EQ(Decode({twelve}, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 255, 255}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {128, 128, 128}, 0));
}

TEST_F(TiffDecode, WideIntegersAndFloatsKeepTheirBrightness) {
    Page sixteen = MakePage(2, 1, 16, 3);
    for (std::uint16_t v : {65535, 32768, 0, 257, 514, 771}) Append(sixteen.data, v);
    PixelBuffer p;
    ASSERT_EQ(Decode({sixteen}, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 128, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {1, 2, 3}, 0));

    Page floats = MakePage(3, 1, 32, 1, PHOTOMETRIC_MINISBLACK);
    floats.format = SAMPLEFORMAT_IEEEFP;
    for (float v : {0.5f, 2.0f, -1.0f}) Append(floats.data, v);
    ASSERT_EQ(Decode({floats}, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {128, 128, 128}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {255, 255, 255}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 2, 0), {0, 0, 0}, 0));

    // Signed samples: the lowest value is black and zero is middle grey.
    Page signedGrey = MakePage(2, 1, 16, 1, PHOTOMETRIC_MINISBLACK);
    signedGrey.format = SAMPLEFORMAT_INT;
    for (std::int16_t v : {-32768, 0}) Append(signedGrey.data, v);
    ASSERT_EQ(Decode({signedGrey}, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {128, 128, 128}, 0));
}

// A 16-bit RGB picture as planes or in tiles larger than the picture's
// edge must give the same pixels as the plain one.
TEST_F(TiffDecode, PlanarAndTiledLayoutsGiveTheSamePixels) {
    const int w = 21, h = 19;
    auto value = [](int x, int y, int c) { return std::uint16_t((x * 3000 + y * 500 + c * 20000) & 0xFFFF); };
    Page planar = MakePage(w, h, 16, 3);
    planar.planar = true;
    for (int c = 0; c < 3; ++c)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Append(planar.data, value(x, y, c));
    Page tiled = planar;
    tiled.tile = 16;
    Page chunkyTiled = MakePage(w, h, 16, 3);
    chunkyTiled.tile = 16;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) Append(chunkyTiled.data, value(x, y, c));
    for (const Page& page : {planar, tiled, chunkyTiled}) {
        PixelBuffer p;
        ASSERT_EQ(Decode({page}, p), Status::Ok);
        ASSERT_EQ(p.width(), w);
        ASSERT_EQ(p.height(), h);
        for (int y : {0, 15, 16, 18})
            for (int x : {0, 15, 16, 20}) {
                auto v = [&](int c) { return (value(x, y, c) * 255 + 32767) / 65535; };
                EXPECT_TRUE(Near(PixelAt(p, x, y), {v(0), v(1), v(2)}, 0)) << x << "," << y;
            }
    }
}

TEST_F(TiffDecode, PalettesAndCmykBecomeRgb) {
    Page palette = MakePage(2, 1, 8, 1, PHOTOMETRIC_PALETTE);
    palette.colormap.assign(3 * 256, 0);
    palette.colormap[1] = 65535;            // entry 1: red
    palette.colormap[256 + 2] = 65535;      // entry 2: green
    palette.colormap[512 + 2] = 32896;      // and half blue
    palette.data = {1, 2};
    PixelBuffer p;
    ASSERT_EQ(Decode({palette}, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {0, 255, 128}, 0));

    Page cmyk = MakePage(2, 1, 8, 4, PHOTOMETRIC_SEPARATED);
    cmyk.data = {24, 0, 23, 32, 255, 0, 0, 0};
    ASSERT_EQ(Decode({cmyk}, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {202, 223, 203}, 0));  // as ImageMagick renders it
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {0, 255, 255}, 0));
}

TEST_F(TiffDecode, AlphaComesOutStraight) {
    Page straight = MakePage(2, 1, 8, 4);
    straight.extra = {EXTRASAMPLE_UNASSALPHA};
    straight.data = {200, 100, 50, 128, 10, 20, 30, 255};
    PixelBuffer p;
    ASSERT_EQ(Decode({straight}, p), Status::Ok);
    ASSERT_EQ(p.layout(), PixelLayout::Rgba8);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {200, 100, 50}, 0));
    EXPECT_EQ(AlphaAt(p, 0, 0), 128);
    EXPECT_EQ(AlphaAt(p, 1, 0), 255);

    Page premultiplied = straight;
    premultiplied.extra = {EXTRASAMPLE_ASSOCALPHA};
    premultiplied.data = {100, 50, 25, 128, 10, 20, 30, 255};
    ASSERT_EQ(Decode({premultiplied}, p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {199, 100, 50}, 1));
    EXPECT_EQ(AlphaAt(p, 0, 0), 128);

    Page greyAlpha = MakePage(1, 1, 16, 2, PHOTOMETRIC_MINISBLACK);
    greyAlpha.extra = {EXTRASAMPLE_UNASSALPHA};
    Append(greyAlpha.data, std::uint16_t(65535));
    Append(greyAlpha.data, std::uint16_t(0));
    ASSERT_EQ(Decode({greyAlpha}, p), Status::Ok);
    EXPECT_EQ(AlphaAt(p, 0, 0), 0);
}

TEST_F(TiffDecode, PagesAreFramesWithTheirOwnSizes) {
    std::vector<Page> pages;
    for (int i = 0; i < 3; ++i) {
        Page page = MakePage(4 + i, 2, 8, 3);
        for (int k = 0; k < page.width * page.height; ++k)
            page.data.insert(page.data.end(), {std::uint8_t(i * 100), 7, 9});
        pages.push_back(page);
    }
    ASSERT_TRUE(WriteTiff(Path("pages.tif"), pages));
    std::unique_ptr<PictureSource> source;
    ASSERT_EQ(OpenPictureSource(Path("pages.tif"), DecodeLimits{}, source), Status::Ok);
    ASSERT_EQ(source->Dimensions()[0].id, FrameDimensionPage);
    ASSERT_EQ(source->Dimensions()[0].frameCount, 3u);
    for (std::uint32_t i : {2u, 0u, 1u}) {
        EXPECT_EQ(StatedSize(*source, i), QSize(4 + int(i), 2));
        PixelBuffer p;
        ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, i, p), Status::Ok);
        EXPECT_EQ(p.width(), 4 + int(i));
        EXPECT_TRUE(Near(PixelAt(p, 3, 1), {int(i) * 100, 7, 9}, 0));
    }
    PixelBuffer p;
    EXPECT_NE(source->DecodeFrame(FrameDimensionPage, 3, p), Status::Ok);
}

TEST_F(TiffDecode, OrientationAndResolutionAreApplied) {
    // Stored 3 x 2, red in the top left corner; orientation 6 turns it a
    // quarter clockwise, which puts the red pixel top right.
    Page page = MakePage(3, 2, 8, 3);
    page.orientation = ORIENTATION_RIGHTTOP;
    page.xres = 118.11f;
    page.yres = 50;
    page.unit = RESUNIT_CENTIMETER;
    page.data.assign(3 * 3 * 2, 0);
    page.data[0] = 255;
    ASSERT_TRUE(WriteTiff(Path("o.tif"), {page}));
    std::unique_ptr<PictureSource> source;
    ASSERT_EQ(OpenPictureSource(Path("o.tif"), DecodeLimits{}, source), Status::Ok);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 300.0f);
    EXPECT_FLOAT_EQ(source->VerticalResolution(), 127.0f);
    EXPECT_EQ(StatedSize(*source), QSize(2, 3));
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    ASSERT_EQ(p.width(), 2);
    EXPECT_TRUE(Near(PixelAt(p, 1, 0), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(p, 0, 0), {0, 0, 0}, 0));

    page.orientation = 0;
    page.xres = 0;
    ASSERT_TRUE(WriteTiff(Path("plain.tif"), {page}));
    ASSERT_EQ(OpenPictureSource(Path("plain.tif"), DecodeLimits{}, source), Status::Ok);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 96.0f);
}

// Sets the value of a one-value LONG tag in the first directory of a
// little-endian classic TIFF as libtiff writes it.
bool PatchTag(QByteArray& tiff, std::uint16_t tag, std::uint32_t value) {
    auto u16 = [&](int at) { return std::uint16_t(std::uint8_t(tiff[at]) | std::uint8_t(tiff[at + 1]) << 8); };
    auto u32 = [&](int at) { return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16; };
    const int ifd = int(u32(4));
    for (int i = 0, n = u16(ifd); i < n; ++i) {
        const int entry = ifd + 2 + 12 * i;
        if (u16(entry) != tag) continue;
        if (u16(entry + 2) != TIFF_LONG || u32(entry + 4) != 1) return false;
        for (int k = 0; k < 4; ++k) tiff[entry + 8 + k] = char((value >> (8 * k)) & 0xFF);
        return true;
    }
    return false;
}

TEST_F(TiffDecode, DamagedFilesAreRefusedNotFilled) {
    Page page = MakePage(64, 64, 8, 3);
    for (int k = 0; k < 64 * 64 * 3; ++k) page.data.push_back(std::uint8_t(k * 7));
    ASSERT_TRUE(WriteTiff(Path("whole.tif"), {page}));
    const QByteArray whole = ReadBytes(Path("whole.tif"));
    PixelBuffer p;
    ASSERT_EQ(OpenAndDecode(Path("whole.tif"), p), Status::Ok);

    // The strip's data starting near the end of the file: reading it runs
    // past the end, as in a file cut short with its directory kept.
    QByteArray truncated = whole;
    ASSERT_TRUE(PatchTag(truncated, TIFFTAG_STRIPOFFSETS, std::uint32_t(whole.size() - 100)));
    WriteBytes(Path("truncated.tif"), truncated);
    // A strip byte count of zero: the directory is intact, the data is gone.
    QByteArray empty = whole;
    ASSERT_TRUE(PatchTag(empty, TIFFTAG_STRIPBYTECOUNTS, 0));
    WriteBytes(Path("empty.tif"), empty);
    // Cut short with the directory gone: nothing to read at all.
    WriteBytes(Path("cut.tif"), whole.left(whole.size() / 2));
    for (const char* name : {"truncated.tif", "empty.tif", "cut.tif"}) {
        std::unique_ptr<PictureSource> source;
        if (OpenPictureSource(Path(name), DecodeLimits{}, source) != Status::Ok) continue;
        PixelBuffer damaged;
        EXPECT_NE(source->DecodeFrame(FrameDimensionPage, 0, damaged), Status::Ok) << name;
        EXPECT_TRUE(damaged.empty()) << name;
    }
}

TEST_F(TiffDecode, AStripByteCountTooLargeForTheFileIsEstimatedWhenTheRowsAreThere) {
    Page page = MakePage(16, 8, 8, 3);
    for (int k = 0; k < 16 * 8 * 3; ++k) page.data.push_back(std::uint8_t(k * 5));
    ASSERT_TRUE(WriteTiff(Path("whole.tif"), {page}));
    PixelBuffer expected, p;
    ASSERT_EQ(OpenAndDecode(Path("whole.tif"), expected), Status::Ok);
    QByteArray bogus = ReadBytes(Path("whole.tif"));
    ASSERT_TRUE(PatchTag(bogus, TIFFTAG_STRIPBYTECOUNTS, 50'000'000));
    WriteBytes(Path("bogus.tif"), bogus);
    ASSERT_EQ(OpenAndDecode(Path("bogus.tif"), p), Status::Ok);
    ASSERT_EQ(QSize(p.width(), p.height()), QSize(16, 8));
    for (int y = 0; y < 8; ++y) EXPECT_EQ(std::memcmp(p.row(y), expected.row(y), 16 * 3), 0) << y;

    // The same count with the rows no longer all in the file: refused.
    QByteArray shortened = bogus;
    ASSERT_TRUE(PatchTag(shortened, TIFFTAG_STRIPOFFSETS, std::uint32_t(bogus.size() - 200)));
    WriteBytes(Path("shortened.tif"), shortened);
    std::unique_ptr<PictureSource> source;
    if (OpenPictureSource(Path("shortened.tif"), DecodeLimits{}, source) == Status::Ok) {
        EXPECT_NE(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    }
}

// Keeps every band a source streams, as one frame.
class BandCollector final : public RowSink {
public:
    bool Begin(int width, int height, PixelLayout layout) override { return frame.Allocate(width, height, layout); }
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override {
        const std::size_t rowBytes = std::size_t(frame.width()) * frame.channels();
        for (int r = 0; r < count; ++r) std::memcpy(frame.row(y + r), data + stride * r, rowBytes);
        ++bands;
        return true;
    }
    PixelBuffer frame;
    int bands = 0;
};

TEST_F(TiffDecode, StreamedRowsAreTheWholeFramesRowsBandByBand) {
    const int w = 21, h = 40;
    Page tiled = MakePage(w, h, 8, 3);
    tiled.tile = 16;
    for (int k = 0; k < w * h * 3; ++k) tiled.data.push_back(std::uint8_t(k * 13));
    Page upsideDown = tiled;
    upsideDown.orientation = ORIENTATION_BOTLEFT;
    // Strips of RGBA with straight alpha: rows that go to the sink as read.
    Page rgba = MakePage(w, h, 8, 4);
    rgba.extra = {EXTRASAMPLE_UNASSALPHA};
    for (int k = 0; k < w * h * 4; ++k) rgba.data.push_back(std::uint8_t(k * 7));
    for (const Page& page : {tiled, upsideDown, rgba}) {
        PixelBuffer whole;
        ASSERT_EQ(Decode({page}, whole), Status::Ok);
        std::unique_ptr<PictureSource> source;
        ASSERT_EQ(OpenPictureSource(Path("t.tif"), DecodeLimits{}, source), Status::Ok);
        BandCollector sink;
        ASSERT_EQ(source->DecodeFrameRows(FrameDimensionPage, 0, 0, 0, sink), Status::Ok);
        // Three rows of tiles come as three bands; a page to be turned
        // comes whole, already turned.
        if (page.tile) {
            EXPECT_EQ(sink.bands, page.orientation ? 1 : 3);
        }
        ASSERT_EQ(QSize(sink.frame.width(), sink.frame.height()), QSize(whole.width(), whole.height()));
        ASSERT_EQ(sink.frame.layout(), whole.layout());
        for (int y = 0; y < h; ++y)
            EXPECT_EQ(std::memcmp(sink.frame.row(y), whole.row(y), std::size_t(w) * whole.channels()), 0) << y;
        // The pixels are the stored samples.
        const int x = 5, y = 17, n = page.samples;
        for (int c = 0; c < n && !page.orientation; ++c)
            EXPECT_EQ(whole.row(y)[x * whole.channels() + c], page.data[std::size_t(y * w + x) * n + c]);
    }

    // A strip whose data lies past the end fails the stream too.
    Page page = MakePage(64, 64, 8, 3);
    page.data.assign(64 * 64 * 3, 77);
    ASSERT_TRUE(WriteTiff(Path("whole.tif"), {page}));
    QByteArray truncated = ReadBytes(Path("whole.tif"));
    ASSERT_TRUE(PatchTag(truncated, TIFFTAG_STRIPOFFSETS, std::uint32_t(truncated.size() - 100)));
    WriteBytes(Path("truncated.tif"), truncated);
    std::unique_ptr<PictureSource> source;
    if (OpenPictureSource(Path("truncated.tif"), DecodeLimits{}, source) == Status::Ok) {
        BandCollector sink;
        EXPECT_NE(source->DecodeFrameRows(FrameDimensionPage, 0, 0, 0, sink), Status::Ok);
    }
}

TEST_F(TiffDecode, ParallelDecodesShareNothing) {
    Page good = MakePage(32, 32, 8, 3);
    good.data.assign(32 * 32 * 3, 90);
    ASSERT_TRUE(WriteTiff(Path("good.tif"), {good}));
    const QByteArray whole = ReadBytes(Path("good.tif"));
    WriteBytes(Path("bad.tif"), whole.left(8 + 32 * 32));
    auto run = [&](const QString& path, Status& result) {
        for (int i = 0; i < 20; ++i) {
            PixelBuffer p;
            result = OpenAndDecode(path, p);
            if ((result == Status::Ok) != (path == Path("good.tif"))) return;
        }
    };
    Status goodStatus = Status::GenericError, badStatus = Status::Ok;
    std::thread a(run, Path("good.tif"), std::ref(goodStatus));
    std::thread b(run, Path("bad.tif"), std::ref(badStatus));
    a.join();
    b.join();
    EXPECT_EQ(goodStatus, Status::Ok);
    EXPECT_NE(badStatus, Status::Ok);
}

TEST_F(TiffDecode, ClaimedSizesAreCheckedBeforeDecoding) {
    Page page = MakePage(64, 64, 8, 3);
    page.data.assign(64 * 64 * 3, 1);
    ASSERT_TRUE(WriteTiff(Path("s.tif"), {page}));
    DecodeLimits tight;
    tight.maxPixels = 64 * 64 - 1;
    std::unique_ptr<PictureSource> source;
    EXPECT_EQ(OpenPictureSource(Path("s.tif"), tight, source), Status::OutOfMemory);
}

}  // namespace
