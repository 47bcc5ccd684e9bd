// JPEG decoding: colour spaces, progressive files, upright orientation,
// resolution, DCT-scaled decoding, and damaged files.
#include "decode_test_pictures.h"

#include "tests/support/test_environment.h"

#include "imaging/decode/jpeg_decompressor.h"
#include "imaging/decode/jpeg_lower_part.h"
#include "imaging/decode/jpeg_source.h"

#include <cstring>

using namespace imaging;
using namespace decode_test;
using imaging::decode::JpegDecompressor;
using imaging::decode::JpegLowerPart;
using imaging::decode::JpegScaleNumeratorFor;
using imaging::decode::JpegSplitRow;

namespace {

// Four flat quadrants: red top-left, green top-right, blue bottom-left,
// white bottom-right.
Rgb Quadrants(int x, int y, int w, int h) {
    const bool right = x >= w / 2, bottom = y >= h / 2;
    if (!right && !bottom) return {255, 0, 0};
    if (right && !bottom) return {0, 255, 0};
    if (!right) return {0, 0, 255};
    return {255, 255, 255};
}

class JpegDecode : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const char* name) const { return folder + "/" + name; }

    QString WriteQuadrants(const char* name, int w, int h, const JpegOptions& options = {}) {
        const QString path = Path(name);
        EXPECT_TRUE(WriteJpeg(path, w, h, [&](int x, int y) { return Quadrants(x, y, w, h); }, options));
        return path;
    }

    std::unique_ptr<PictureSource> Open(const QString& path) {
        std::unique_ptr<PictureSource> source;
        EXPECT_EQ(OpenPictureSource(path, DecodeLimits{}, source), Status::Ok);
        return source;
    }

    // Checks the quadrant colours well inside each quadrant.
    static void ExpectQuadrants(const PixelBuffer& p, int tolerance) {
        const int w = p.width(), h = p.height();
        EXPECT_TRUE(Near(PixelAt(p, w / 4, h / 4), {255, 0, 0}, tolerance));
        EXPECT_TRUE(Near(PixelAt(p, 3 * w / 4, h / 4), {0, 255, 0}, tolerance));
        EXPECT_TRUE(Near(PixelAt(p, w / 4, 3 * h / 4), {0, 0, 255}, tolerance));
        EXPECT_TRUE(Near(PixelAt(p, 3 * w / 4, 3 * h / 4), {255, 255, 255}, tolerance));
    }
};

TEST_F(JpegDecode, BaselineRgbDecodesToItsColoursAsOnePage) {
    auto source = Open(WriteQuadrants("rgb.jpg", 64, 48));
    ASSERT_TRUE(source);
    ASSERT_EQ(source->Dimensions().size(), 1u);
    EXPECT_EQ(source->Dimensions()[0].id, FrameDimensionPage);
    EXPECT_EQ(source->Dimensions()[0].frameCount, 1u);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
    EXPECT_EQ(p.width(), 64);
    EXPECT_EQ(p.height(), 48);
    EXPECT_EQ(p.layout(), PixelLayout::Rgb8);
    ExpectQuadrants(p, 6);
    EXPECT_NE(source->DecodeFrame(FrameDimensionPage, 1, p), Status::Ok);
    EXPECT_NE(source->DecodeFrame(FrameDimensionTime, 0, p), Status::Ok);
}

TEST_F(JpegDecode, ProgressiveGreyCmykAndYcckDecode) {
    JpegOptions progressive;
    progressive.progressive = true;
    PixelBuffer p;
    ASSERT_EQ(OpenAndDecode(WriteQuadrants("progressive.jpg", 40, 40, progressive), p), Status::Ok);
    ExpectQuadrants(p, 6);

    JpegOptions cmyk;
    cmyk.kind = JpegKind::AdobeCmyk;
    ASSERT_EQ(OpenAndDecode(WriteQuadrants("cmyk.jpg", 40, 40, cmyk), p), Status::Ok);
    ExpectQuadrants(p, 6);

    JpegOptions ycck;
    ycck.kind = JpegKind::AdobeYcck;
    ASSERT_EQ(OpenAndDecode(WriteQuadrants("ycck.jpg", 40, 40, ycck), p), Status::Ok);
    ExpectQuadrants(p, 8);

    JpegOptions grey;
    grey.kind = JpegKind::Grey;
    const QString path = Path("grey.jpg");
    ASSERT_TRUE(WriteJpeg(path, 32, 32, [](int x, int) { return Rgb{x < 16 ? 40 : 200, 0, 0}; }, grey));
    ASSERT_EQ(OpenAndDecode(path, p), Status::Ok);
    EXPECT_EQ(p.layout(), PixelLayout::Rgb8);
    EXPECT_TRUE(Near(PixelAt(p, 4, 10), {40, 40, 40}, 3));
    EXPECT_TRUE(Near(PixelAt(p, 28, 10), {200, 200, 200}, 3));
}

TEST_F(JpegDecode, ExifOrientationIsAppliedAndSwapsTheSize) {
    // Stored 64 x 32. For each orientation: where the stored red corner
    // (top-left quadrant) ends up in the upright picture, and its size.
    struct Case { int orientation; bool swapped; int redX, redY; };  // red quadrant centre, in quarters
    const Case cases[] = {{1, false, 1, 1}, {2, false, 3, 1}, {3, false, 3, 3}, {4, false, 1, 3},
                          {5, true, 1, 1},  {6, true, 3, 1},  {7, true, 3, 3},  {8, true, 1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        JpegOptions options;
        options.app1 = MakeExif(c.orientation);
        const QString path = WriteQuadrants(qPrintable(QString("o%1.jpg").arg(c.orientation)), 64, 32, options);
        auto source = Open(path);
        ASSERT_TRUE(source);
        PixelBuffer p;
        ASSERT_EQ(source->DecodeFrame(FrameDimensionPage, 0, p), Status::Ok);
        EXPECT_EQ(p.width(), c.swapped ? 32 : 64);
        EXPECT_EQ(p.height(), c.swapped ? 64 : 32);
        EXPECT_EQ(StatedSize(*source), QSize(p.width(), p.height()));
        EXPECT_TRUE(Near(PixelAt(p, c.redX * p.width() / 4, c.redY * p.height() / 4), {255, 0, 0}, 8));
        // White sits diagonally opposite red in every orientation.
        EXPECT_TRUE(Near(PixelAt(p, (4 - c.redX) * p.width() / 4, (4 - c.redY) * p.height() / 4),
                         {255, 255, 255}, 8));
    }
    // Orientation 6 (camera held turned right): the stored top row becomes
    // the right column, so stored green (top-right) lands bottom-right.
    JpegOptions six;
    six.app1 = MakeExif(6);
    PixelBuffer p;
    ASSERT_EQ(OpenAndDecode(WriteQuadrants("six.jpg", 64, 32, six), p), Status::Ok);
    EXPECT_TRUE(Near(PixelAt(p, 24, 48), {0, 255, 0}, 8));
    EXPECT_TRUE(Near(PixelAt(p, 8, 16), {0, 0, 255}, 8));
}

TEST_F(JpegDecode, ResolutionFromJfifOrExifAnd96WhenNone) {
    JpegOptions inch;
    inch.densityUnit = 1;
    inch.xDensity = 300;
    inch.yDensity = 150;
    auto source = Open(WriteQuadrants("dpi.jpg", 16, 16, inch));
    ASSERT_TRUE(source);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 300);
    EXPECT_FLOAT_EQ(source->VerticalResolution(), 150);

    JpegOptions cm;
    cm.densityUnit = 2;
    cm.xDensity = 118;  // 299.72 dots per inch
    cm.yDensity = 28;   // 71.12
    source = Open(WriteQuadrants("dpcm.jpg", 16, 16, cm));
    ASSERT_TRUE(source);
    EXPECT_NEAR(source->HorizontalResolution(), 299.72, 0.01);
    EXPECT_NEAR(source->VerticalResolution(), 71.12, 0.01);

    JpegOptions aspectOnly;  // JFIF unit 0: an aspect ratio, no resolution
    source = Open(WriteQuadrants("none.jpg", 16, 16, aspectOnly));
    ASSERT_TRUE(source);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 96);
    EXPECT_FLOAT_EQ(source->VerticalResolution(), 96);

    JpegOptions exif;
    exif.app1 = MakeExif(1, 72, 180);
    source = Open(WriteQuadrants("exif.jpg", 16, 16, exif));
    ASSERT_TRUE(source);
    EXPECT_FLOAT_EQ(source->HorizontalResolution(), 72);
    EXPECT_FLOAT_EQ(source->VerticalResolution(), 180);
}

TEST_F(JpegDecode, ScaledDecodeIsTheSmallestEighthCoveringTheMinimum) {
    EXPECT_EQ(JpegScaleNumeratorFor(800, 600, 1, 100, 75), 1);
    EXPECT_EQ(JpegScaleNumeratorFor(800, 600, 1, 101, 75), 2);
    EXPECT_EQ(JpegScaleNumeratorFor(800, 600, 1, 400, 10), 4);
    EXPECT_EQ(JpegScaleNumeratorFor(800, 600, 1, 401, 10), 5);
    EXPECT_EQ(JpegScaleNumeratorFor(800, 600, 1, 2000, 2000), 8);
    // Upright minimum of a turned photo applies to the stored height.
    EXPECT_EQ(JpegScaleNumeratorFor(800, 600, 6, 75, 100), 1);
    EXPECT_EQ(JpegScaleNumeratorFor(800, 600, 6, 76, 100), 2);

    auto source = Open(WriteQuadrants("big.jpg", 640, 480));
    ASSERT_TRUE(source);
    PixelBuffer p;
    ASSERT_EQ(source->DecodeFrameForSize(FrameDimensionPage, 0, 150, 100, p), Status::Ok);
    EXPECT_EQ(p.width(), 160);  // 2/8
    EXPECT_EQ(p.height(), 120);
    ExpectQuadrants(p, 8);
    ASSERT_EQ(source->DecodeFrameForSize(FrameDimensionPage, 0, 300, 1, p), Status::Ok);
    EXPECT_EQ(p.width(), 320);  // 4/8
    ASSERT_EQ(source->DecodeFrameForSize(FrameDimensionPage, 0, 5000, 5000, p), Status::Ok);
    EXPECT_EQ(p.width(), 640);
}

// Collects the bands a decoder streams into one buffer.
class CollectingSink : public RowSink {
public:
    PixelBuffer frame;
    int bands = 0;
    int nextRow = 0;
    int stopAfterBands = -1;
    bool Begin(int width, int height, PixelLayout layout) override { return frame.Allocate(width, height, layout); }
    bool Rows(int y, int count, const std::uint8_t* data, std::size_t stride) override {
        EXPECT_EQ(y, nextRow);  // top to bottom, no gaps
        EXPECT_LE(y + count, frame.height());
        for (int i = 0; i < count; ++i)
            std::memcpy(frame.row(y + i), data + stride * i, std::size_t(frame.width()) * frame.channels());
        nextRow = y + count;
        return ++bands != stopAfterBands;
    }
};

bool SamePixels(const PixelBuffer& a, const PixelBuffer& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.layout() != b.layout()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), std::size_t(a.width()) * a.channels()) != 0) return false;
    return true;
}

TEST_F(JpegDecode, RowsStreamInBandsExactlyAsTheWholeFrameDecodes) {
    auto source = Open(WriteQuadrants("stream.jpg", 640, 480));
    ASSERT_TRUE(source);
    PixelBuffer whole;
    ASSERT_EQ(source->DecodeFrameForSize(FrameDimensionPage, 0, 200, 100, whole), Status::Ok);
    CollectingSink sink;
    ASSERT_EQ(source->DecodeFrameRows(FrameDimensionPage, 0, 200, 100, sink), Status::Ok);
    EXPECT_GT(sink.bands, 1);
    EXPECT_EQ(sink.nextRow, whole.height());
    EXPECT_TRUE(SamePixels(sink.frame, whole));

    CollectingSink stopping;
    stopping.stopAfterBands = 2;
    EXPECT_EQ(source->DecodeFrameRows(FrameDimensionPage, 0, 640, 480, stopping), Status::Aborted);

    // A turned photo comes upright, as one band.
    JpegOptions six;
    six.app1 = MakeExif(6);
    source = Open(WriteQuadrants("six.jpg", 64, 32, six));
    ASSERT_TRUE(source);
    CollectingSink turned;
    ASSERT_EQ(source->DecodeFrameRows(FrameDimensionPage, 0, 32, 64, turned), Status::Ok);
    EXPECT_EQ(turned.frame.width(), 32);
    EXPECT_EQ(turned.frame.height(), 64);
    EXPECT_TRUE(Near(PixelAt(turned.frame, 24, 48), {0, 255, 0}, 8));
}

TEST_F(JpegDecode, TruncatedOrCorruptFilesFailInsteadOfTurningGrey) {
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        JpegOptions options;
        options.progressive = progressive;
        options.quality = 90;
        const QString path = Path(progressive ? "p.jpg" : "b.jpg");
        ASSERT_TRUE(WriteJpeg(path, 256, 256, [](int x, int y) { return Rgb{x, y, (x * y) & 255}; }, options));
        const QByteArray whole = ReadBytes(path);
        PixelBuffer p;
        ASSERT_EQ(OpenAndDecode(path, p), Status::Ok);

        const QString cut = Path("cut.jpg");
        WriteBytes(cut, whole.left(whole.size() * 2 / 3));
        EXPECT_NE(OpenAndDecode(cut, p), Status::Ok);
        EXPECT_TRUE(p.empty());
        std::unique_ptr<PictureSource> source;
        ASSERT_EQ(OpenPictureSource(cut, DecodeLimits{}, source), Status::Ok);  // the header is intact
        CollectingSink sink;
        EXPECT_NE(source->DecodeFrameRows(FrameDimensionPage, 0, 256, 256, sink), Status::Ok);

        WriteBytes(cut, whole.left(whole.size() - 2));  // only the end marker missing
        EXPECT_NE(OpenAndDecode(cut, p), Status::Ok);

        WriteBytes(cut, whole.left(40));  // inside the header
        EXPECT_NE(OpenAndDecode(cut, p), Status::Ok);
    }
    // A run of marker bytes in the middle of the entropy-coded data.
    const QString path = Path("b.jpg");
    QByteArray damaged = ReadBytes(path);
    for (int i = 0; i < 64; ++i) damaged[damaged.size() / 2 + i] = char(i % 2 ? 0xD3 : 0xFF);
    const QString bad = Path("bad.jpg");
    WriteBytes(bad, damaged);
    PixelBuffer p;
    EXPECT_NE(OpenAndDecode(bad, p), Status::Ok);
}

// Busy enough that every 8x8 block codes differently.
Rgb Texture(int x, int y) { return {(x * 7 + y * 3) & 255, (x * y) >> 4 & 255, (x ^ y) & 255}; }

// The picture at numerator/8 decoded by one decompressor from top to
// bottom, as Rgb8.
Status DecodeOnOneThread(const QString& path, int numerator, PixelBuffer& out) {
    JpegDecompressor one;
    int width = 0, height = 0;
    if (Status s = one.Open(path); s != Status::Ok) return s;
    if (Status s = one.Start(numerator, DecodeLimits{}, width, height); s != Status::Ok) return s;
    if (!out.Allocate(width, height, PixelLayout::Rgb8)) return Status::OutOfMemory;
    int rows = 0;
    if (Status s = one.ReadRows(out.data(), out.stride(), height, rows); s != Status::Ok) return s;
    return rows == height ? one.Finish() : Status::GenericError;
}

// The same picture with rows [0, split) from one decompressor and the rest
// from a second one on its own thread (split 0: where the decoder would
// split it on two cores).
Status DecodeOnTwoThreads(const QString& path, int numerator, int split, PixelBuffer& out) {
    JpegDecompressor upper;
    int width = 0, height = 0;
    if (Status s = upper.Open(path); s != Status::Ok) return s;
    if (Status s = upper.Start(numerator, DecodeLimits{}, width, height); s != Status::Ok) return s;
    if (split == 0) split = JpegSplitRow(upper, height, 2);
    if (split <= 0 || split >= height) return Status::InvalidParameter;
    if (!out.Allocate(width, height, PixelLayout::Rgb8)) return Status::OutOfMemory;
    JpegLowerPart lower;
    if (!lower.Start(path, numerator, DecodeLimits{}, split, width, height, out.row(split), out.stride()))
        return Status::GenericError;
    int rows = 0;
    const Status s = upper.ReadRows(out.data(), out.stride(), split, rows);
    if (s != Status::Ok || rows != split) lower.Cancel();
    const Status lowerStatus = lower.Finish();
    return s != Status::Ok ? s : rows != split ? Status::GenericError : lowerStatus;
}

TEST_F(JpegDecode, LargeFramesDecodeOnTwoThreadsToExactlyTheRowsOfOne) {
    struct Case {
        const char* name;
        JpegKind kind;
        int lumaH, lumaV, restartRows;
    };
    const Case cases[] = {{"420", JpegKind::Rgb, 2, 2, 0},  {"422", JpegKind::Rgb, 2, 1, 0},
                          {"440", JpegKind::Rgb, 1, 2, 0},  {"444", JpegKind::Rgb, 1, 1, 0},
                          {"grey", JpegKind::Grey, 1, 1, 0}, {"restarts", JpegKind::Rgb, 2, 2, 3}};
    // Just over the size worth a second thread, with a height that ends in
    // a partial row of MCUs.
    const int w = 1000, h = 1043;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        JpegOptions options;
        options.kind = c.kind;
        options.lumaH = c.lumaH;
        options.lumaV = c.lumaV;
        options.restartRows = c.restartRows;
        options.quality = 90;
        const QString path = Path("two.jpg");
        ASSERT_TRUE(WriteJpeg(path, w, h, Texture, options));
        for (int numerator : {8, 3}) {
            SCOPED_TRACE(numerator);
            PixelBuffer one, two;
            ASSERT_EQ(DecodeOnOneThread(path, numerator, one), Status::Ok);
            ASSERT_EQ(DecodeOnTwoThreads(path, numerator, 0, two), Status::Ok);
            EXPECT_TRUE(SamePixels(one, two));
        }
        // A split inside a row of MCUs gives the same rows too.
        PixelBuffer one, two;
        ASSERT_EQ(DecodeOnOneThread(path, 8, one), Status::Ok);
        ASSERT_EQ(DecodeOnTwoThreads(path, 8, 777, two), Status::Ok);
        EXPECT_TRUE(SamePixels(one, two));
        // Through the picture source, on as many threads as there are cores.
        PixelBuffer whole;
        ASSERT_EQ(OpenAndDecode(path, whole), Status::Ok);
        EXPECT_TRUE(SamePixels(one, whole));
    }

    // Not worth a second thread: small, progressive, or one core.
    JpegDecompressor d;
    int width = 0, height = 0;
    ASSERT_EQ(d.Open(Path("two.jpg")), Status::Ok);
    ASSERT_EQ(d.Start(8, DecodeLimits{}, width, height), Status::Ok);
    EXPECT_GT(JpegSplitRow(d, height, 2), 0);
    EXPECT_EQ(JpegSplitRow(d, height, 1), 0);
    JpegOptions progressive;
    progressive.progressive = true;
    const QString small = WriteQuadrants("small.jpg", 640, 480);
    const QString p = Path("p.jpg");
    ASSERT_TRUE(WriteJpeg(p, w, h, Texture, progressive));
    for (const QString& path : {small, p}) {
        JpegDecompressor other;
        ASSERT_EQ(other.Open(path), Status::Ok);
        ASSERT_EQ(other.Start(8, DecodeLimits{}, width, height), Status::Ok);
        EXPECT_EQ(JpegSplitRow(other, height, 2), 0);
    }
}

TEST_F(JpegDecode, DamageAboveOrBelowTheSplitFailsOnTwoThreads) {
    const QString path = Path("whole.jpg");
    ASSERT_TRUE(WriteJpeg(path, 1000, 1043, Texture, JpegOptions{}));
    const QByteArray whole = ReadBytes(path);
    PixelBuffer p;
    ASSERT_EQ(DecodeOnTwoThreads(path, 8, 0, p), Status::Ok);
    const QString bad = Path("bad.jpg");
    // Marker bytes in the entropy-coded data above the split (the lower
    // thread passes over it too), below it, and a file cut short.
    for (double at : {0.3, 0.9}) {
        SCOPED_TRACE(at);
        QByteArray damaged = whole;
        const int from = static_cast<int>(damaged.size() * at);
        for (int i = 0; i < 64; ++i) damaged[from + i] = char(i % 2 ? 0xD3 : 0xFF);
        WriteBytes(bad, damaged);
        EXPECT_NE(DecodeOnTwoThreads(bad, 8, 0, p), Status::Ok);
        EXPECT_NE(OpenAndDecode(bad, p), Status::Ok);
        EXPECT_TRUE(p.empty());
    }
    WriteBytes(bad, whole.left(whole.size() - 2));
    EXPECT_NE(DecodeOnTwoThreads(bad, 8, 0, p), Status::Ok);
    EXPECT_NE(OpenAndDecode(bad, p), Status::Ok);
}

TEST_F(JpegDecode, AHeaderClaimingAHugePictureFailsFastWithoutDecoding) {
    const QString path = WriteQuadrants("small.jpg", 16, 16);
    QByteArray bytes = ReadBytes(path);
    const int sof = bytes.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    // SOF0: length(2) precision(1) height(2) width(2): claim 60000 x 60000.
    bytes[sof + 5] = char(0xEA);
    bytes[sof + 6] = char(0x60);
    bytes[sof + 7] = char(0xEA);
    bytes[sof + 8] = char(0x60);
    const QString bomb = Path("bomb.jpg");
    WriteBytes(bomb, bytes);
    std::unique_ptr<PictureSource> source;
    EXPECT_EQ(OpenPictureSource(bomb, DecodeLimits{}, source), Status::OutOfMemory);
    EXPECT_FALSE(source);

    // Within the pixel cap but over a caller's tighter byte limit.
    DecodeLimits tight;
    tight.maxBytes = 16 * 16 * 3 - 1;
    EXPECT_EQ(OpenPictureSource(path, tight, source), Status::OutOfMemory);
}

}  // namespace
