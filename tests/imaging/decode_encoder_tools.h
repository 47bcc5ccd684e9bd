#pragma once
// Pictures made at test time by the command-line encoders of the formats
// we only read (heif-enc, avifenc, cjxl): a PNG of four coloured blocks
// goes in, the encoded file comes out. Tests skip when an encoder is not
// installed (scripts/setup-debian.sh installs them all).

#include "decode_test_pictures.h"

#include "tests/support/test_environment.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace decode_test {

// Top left, top right, bottom left, bottom right; away from the ends of
// the range so that lossy coding does not clip them.
inline const Rgb kBlocks[4] = {{200, 40, 40}, {40, 180, 60}, {50, 60, 200}, {220, 210, 50}};

// `width` x `height` in four equal blocks; the right half fully
// transparent when `clearRight`.
inline QImage BlockImage(int width, int height, bool clearRight = false) {
    QImage image(width, height, clearRight ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = kBlocks[(x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0)];
            image.setPixel(x, y, qRgba(c.r, c.g, c.b, clearRight && x >= width / 2 ? 0 : 255));
        }
    return image;
}

// The mean colour of the block at (bx, by) of a 2 x 2 block picture,
// leaving a margin where lossy coding blurs the edges.
inline Rgb BlockMean(const imaging::PixelBuffer& p, int bx, int by) {
    const int w = p.width() / 2, h = p.height() / 2, margin = 4;
    long sum[3] = {0, 0, 0}, n = 0;
    for (int y = by * h + margin; y < (by + 1) * h - margin; ++y)
        for (int x = bx * w + margin; x < (bx + 1) * w - margin; ++x, ++n) {
            const Rgb c = PixelAt(p, x, y);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
        }
    if (n == 0) return {-1, -1, -1};
    return {int(sum[0] / n), int(sum[1] / n), int(sum[2] / n)};
}

class EncoderToolTest : public ::testing::Test {
protected:
    QString folder = MakeTempFolder();
    QString Path(const QString& name) const { return folder + "/" + name; }

    // The tool's path, or empty (the test then skips) when it is missing.
    static QString Tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

    // Runs an encoder; false (with its output in the failure) when it fails.
    static ::testing::AssertionResult Run(const QString& program, const QStringList& args) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, args);
        if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            return ::testing::AssertionFailure() << qPrintable(program) << " " << qPrintable(args.join(' ')) << ": "
                                                 << process.readAll().constData();
        return ::testing::AssertionSuccess();
    }

    QString SavePng(const QImage& image, const QString& name) {
        const QString path = Path(name);
        EXPECT_TRUE(image.save(path, "png"));
        return path;
    }

    std::unique_ptr<imaging::PictureSource> Open(const QString& path, imaging::Status expected = imaging::Status::Ok,
                                                 const imaging::DecodeLimits& limits = {}) {
        std::unique_ptr<imaging::PictureSource> source;
        EXPECT_EQ(imaging::OpenPictureSource(path, limits, source), expected) << qPrintable(path);
        return source;
    }

    // A truncated copy of `path` must be refused, when opened or at the
    // latest when decoded, and never decode to a picture.
    void ExpectTruncationsRefused(const QString& path) {
        const QByteArray whole = ReadBytes(path);
        for (double keep : {0.2, 0.5, 0.8, 0.95}) {
            const qsizetype length = qsizetype(whole.size() * keep);
            const QString cut = Path(QStringLiteral("cut%1").arg(length));
            WriteBytes(cut, whole.left(length));
            std::unique_ptr<imaging::PictureSource> source;
            if (imaging::OpenPictureSource(cut, imaging::DecodeLimits{}, source) != imaging::Status::Ok) continue;
            imaging::PixelBuffer p;
            EXPECT_NE(source->DecodeFrame(source->Dimensions()[0].id, 0, p), imaging::Status::Ok)
                << "kept " << length << " of " << whole.size() << " bytes";
            EXPECT_TRUE(p.empty());
        }
    }
};

// A source of one page, width x height at 96 dpi, decoded as Rgb8 into p.
inline void ExpectOneRgbPage(imaging::PictureSource& source, int width, int height, imaging::PixelBuffer& p) {
    ASSERT_EQ(source.Dimensions().size(), 1u);
    EXPECT_EQ(source.Dimensions()[0].id, imaging::FrameDimensionPage);
    EXPECT_EQ(source.Dimensions()[0].frameCount, 1u);
    EXPECT_FLOAT_EQ(source.HorizontalResolution(), 96);
    EXPECT_FLOAT_EQ(source.VerticalResolution(), 96);
    int w = 0, h = 0;
    ASSERT_EQ(source.FrameSize(imaging::FrameDimensionPage, 0, w, h), imaging::Status::Ok);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    ASSERT_EQ(source.DecodeFrame(imaging::FrameDimensionPage, 0, p), imaging::Status::Ok);
    EXPECT_EQ(p.layout(), imaging::PixelLayout::Rgb8);
}

}  // namespace decode_test
