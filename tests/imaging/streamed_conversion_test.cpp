// A conversion streamed from the decoder (through the resampler when the
// size changes) into the encoder: the same file as the whole-frame
// conversion, for plain, tagged and transparent pictures, kept, shrunk or
// enlarged, as they are or mirrored; nothing left behind when the picture
// breaks half-way; and an encoder that refuses an unfinished picture.
#include "imaging/conversion/streamed_conversion.h"
#include "imaging/encode/jpeg_row_writer.h"
#include "tagged_pictures.h"

#include <QColorSpace>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace imaging;

// Noise over a smooth sweep, so both the encoder and the colour transform
// have something to do; alpha from 0 to 255 across when `alpha`.
QImage Picture(int w, int h, bool alpha) {
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    std::mt19937 rng(7);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const tagged::Rgb c = tagged::Sweep(x, y, w, h);
            const int n = static_cast<int>(rng() % 21) - 10;
            auto at = [n](int v) { return std::clamp(v + n, 0, 255); };
            image.setPixel(x, y, qRgba(at(c.r), at(c.g), at(c.b), alpha ? x * 255 / (w - 1) : 255));
        }
    return image;
}

bool SavePng(QImage image, const QString& path, const tagged::Bytes& icc = {}) {
    if (!icc.empty())
        image.setColorSpace(QColorSpace::fromIccProfile(QByteArray(reinterpret_cast<const char*>(icc.data()),
                                                                   static_cast<qsizetype>(icc.size()))));
    return image.save(path, "PNG");
}

// `input` through the stream into `output` at outW x outH (its own size
// when 0), decoded at no less than three times that when shrunk, as
// `adjust` sets the rest.
StreamedConversion Stream(const QString& input, const QString& output,
                          const std::function<void(ConversionInput&)>& adjust, int outW = 0, int outH = 0) {
    std::unique_ptr<PictureSource> source;
    StreamedConversion failed;
    failed.read = OpenFrameSource(input, 0, source);
    if (failed.read != Status::Ok) return failed;
    int w = 0, h = 0;
    failed.read = source->FrameSize(source->Dimensions().front().id, 0, w, h);
    if (failed.read != Status::Ok) return failed;
    ConversionInput in;
    in.outputWidth = outW > 0 ? outW : w;
    in.outputHeight = outH > 0 ? outH : h;
    in.quality = 100;
    in.outputPath = output;
    adjust(in);
    EXPECT_TRUE(CanStreamConversion(in, w, h));
    return ConvertFrameStreamed(*source, 0, w, h, in, 3 * in.outputWidth, 3 * in.outputHeight);
}

// `input` loaded as the command line loads it for an output of outW x outH
// (its own size when 0) given on both sides (allowed to decode down to
// three times that), then converted whole.
bool ConvertSized(const QString& input, const QString& output, const std::function<void(ConversionInput&)>& adjust,
                  int outW = 0, int outH = 0) {
    const QImage size(input);
    const int w = outW > 0 ? outW : size.width();
    const int h = outH > 0 ? outH : size.height();
    std::unique_ptr<GpImage> picture;
    if (LoadImageFrameScaled(input, 0, 3 * w, 3 * h, w, h, picture) != Status::Ok) return false;
    ConversionInput in;
    in.picture = picture.get();
    in.outputWidth = w;
    in.outputHeight = h;
    in.quality = 100;
    in.outputPath = output;
    adjust(in);
    return ConvertPicture(in).saved();
}

// What a conversion asks beyond the size: colours, and a turn.
struct Asked {
    ColourHandling colour;
    int angle;
    int flip;
    const char* what;
};

// The colours and turns each picture is converted with.
const Asked kAsked[] = {
    {ColourHandling::ConvertToSrgb, 0, 0, "into sRGB"},
    {ColourHandling::KeepProfile, 0, 0, "keeping its profile"},
    {ColourHandling::ConvertToSrgb, 0, 1, "mirrored"},
    {ColourHandling::ConvertToSrgb, 180, 2, "half turned upside down"},
};

class StreamedConversionTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    // Plain, tagged and transparent pictures, and a tagged JPEG.
    void WritePictures() {
        ASSERT_TRUE(SavePng(Picture(517, 701, false), path("plain.png")));
        ASSERT_TRUE(SavePng(Picture(517, 701, false), path("adobe.png"), tagged::AdobeRgbProfile()));
        ASSERT_TRUE(SavePng(Picture(333, 450, true), path("alpha.png")));
        ASSERT_TRUE(SavePng(Picture(333, 450, true), path("alpha-p3.png"), tagged::DisplayP3Profile()));
        tagged::TaggedJpeg tagging;
        tagging.icc = tagged::ProPhotoProfile();
        ASSERT_TRUE(tagged::WriteJpeg(path("photo.jpg"), 400, 300,
                                      [](int x, int y) { return tagged::Sweep(x, y, 400, 300); }, tagging));
    }
    // Everything in the folder, hidden files included.
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir dir;
};

TEST_F(StreamedConversionTest, SameFileAsTheWholeFrame) {
    WritePictures();
    // A JPEG small enough that a reduced scale would round up to its size.
    ASSERT_TRUE(tagged::WriteJpeg(path("tiny.jpg"), 5, 4, [](int x, int y) { return tagged::Sweep(x, y, 5, 4); }));
    for (const char* name : {"plain.png", "adobe.png", "alpha.png", "alpha-p3.png", "photo.jpg", "tiny.jpg"})
        for (const Asked& a : kAsked) {
            SCOPED_TRACE(std::string(name) + " " + a.what);
            const auto adjust = [&a](ConversionInput& in) {
                in.colour = a.colour;
                in.rotateAngle = a.angle;
                in.flipType = a.flip;
            };
            // Loaded whole, and loaded through the resampler at its own size.
            ASSERT_TRUE(tagged::Convert(path(name), path("whole.jpg"), 0, 0, adjust));
            ASSERT_TRUE(ConvertSized(path(name), path("sized.jpg"), adjust));
            const StreamedConversion streamed = Stream(path(name), path("streamed.jpg"), adjust);
            ASSERT_EQ(streamed.read, Status::Ok);
            ASSERT_FALSE(streamed.sizeDiffered);
            ASSERT_TRUE(streamed.result.saved());
            const tagged::Bytes whole = tagged::ReadFile(path("whole.jpg"));
            EXPECT_FALSE(whole.empty());
            EXPECT_TRUE(whole == tagged::ReadFile(path("sized.jpg")));
            EXPECT_TRUE(whole == tagged::ReadFile(path("streamed.jpg")));
        }
}

// Shrunk, enlarged, and shrunk on one side only: a JPEG shrunk by more than
// three is also reduced by its decoder on the way in. An enlarged picture
// whose colours must be converted is left to the whole-frame conversion,
// which converts them before enlarging.
TEST_F(StreamedConversionTest, ScaledSameFileAsTheWholeFrame) {
    WritePictures();
    struct Size {
        int w, h;
    };
    const Size sizes[] = {{97, 61}, {211, 190}, {620, 777}, {150, 500}};
    int streamedCount = 0;
    for (const char* name : {"plain.png", "alpha-p3.png", "photo.jpg"})
        for (const Asked& a : kAsked)
            for (const Size size : sizes) {
                SCOPED_TRACE(std::string(name) + " " + a.what + " to " + std::to_string(size.w) + "x" +
                             std::to_string(size.h));
                const auto adjust = [&a](ConversionInput& in) {
                    in.colour = a.colour;
                    in.rotateAngle = a.angle;
                    in.flipType = a.flip;
                };
                std::unique_ptr<PictureSource> source;
                ASSERT_EQ(OpenFrameSource(path(name), 0, source), Status::Ok);
                int w = 0, h = 0;
                ASSERT_EQ(source->FrameSize(source->Dimensions().front().id, 0, w, h), Status::Ok);
                ConversionInput in;
                in.outputWidth = size.w;
                in.outputHeight = size.h;
                adjust(in);
                const bool tagged = std::string(name) != "plain.png" && a.colour == ColourHandling::ConvertToSrgb;
                const bool enlarged = std::int64_t{size.w} * size.h > std::int64_t{w} * h;
                EXPECT_EQ(StreamKeepsColours(*source, in, w, h), !(tagged && enlarged));
                if (tagged && enlarged) continue;
                ASSERT_TRUE(ConvertSized(path(name), path("sized.jpg"), adjust, size.w, size.h));
                const StreamedConversion streamed = Stream(path(name), path("streamed.jpg"), adjust, size.w, size.h);
                ASSERT_EQ(streamed.read, Status::Ok);
                ASSERT_TRUE(streamed.result.saved());
                const tagged::Bytes whole = tagged::ReadFile(path("sized.jpg"));
                EXPECT_FALSE(whole.empty());
                EXPECT_TRUE(whole == tagged::ReadFile(path("streamed.jpg")));
                ++streamedCount;
            }
    EXPECT_GT(streamedCount, 24);
}

TEST_F(StreamedConversionTest, APictureBrokenHalfWayLeavesNothing) {
    ASSERT_TRUE(SavePng(Picture(900, 1500, false), path("whole.png")));
    QFile whole(path("whole.png"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QFile cut(path("cut.png"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() / 2));
    cut.close();
    ASSERT_TRUE(whole.remove());

    const StreamedConversion streamed = Stream(path("cut.png"), path("out.jpg"), [](ConversionInput&) {});
    EXPECT_NE(streamed.read, Status::Ok);
    EXPECT_EQ(files(), QStringList{"cut.png"});
    // Unreadable comes before unwritable, as when the frame is decoded
    // before it is saved.
    const StreamedConversion nowhere =
        Stream(path("cut.png"), path("no/such/folder/out.jpg"), [](ConversionInput&) {});
    EXPECT_NE(nowhere.read, Status::Ok);
    // The same through the resampler, shrunk and enlarged.
    for (const int scale : {2, -2}) {
        const int w = scale > 0 ? 900 / scale : 1800, h = scale > 0 ? 1500 / scale : 3000;
        const StreamedConversion scaled = Stream(path("cut.png"), path("out.jpg"), [](ConversionInput&) {}, w, h);
        EXPECT_NE(scaled.read, Status::Ok);
        EXPECT_EQ(files(), QStringList{"cut.png"});
    }
}

TEST_F(StreamedConversionTest, AnEncoderKeepsToItsRows) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    const std::vector<std::uint8_t> grey(8 * 3, 128);
    const std::uint8_t* rows[3] = {grey.data(), grey.data(), grey.data()};
    JpegRowWriter tooMany;
    ASSERT_TRUE(tooMany.Start(8, 2, JpegSettings{}, out));
    EXPECT_FALSE(tooMany.Write(rows, 3));  // one row too many
    JpegRowWriter unfinished;
    ASSERT_TRUE(unfinished.Start(8, 2, JpegSettings{}, out));
    ASSERT_TRUE(unfinished.Write(rows, 1));
    EXPECT_FALSE(unfinished.Finish());
    JpegRowWriter done;
    ASSERT_TRUE(done.Start(8, 2, JpegSettings{}, out));
    ASSERT_TRUE(done.Write(rows, 2));
    EXPECT_TRUE(done.Finish());
    std::fclose(out);
}

}  // namespace
