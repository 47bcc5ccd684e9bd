// Times the window's engine work on one picture, in process, through the
// same calls the window makes: Open Photo (until its first look and until
// the whole picture and its preview are ready) and Convert of the loaded
// photo, with the Convert's drawing and saving alone. Prints milliseconds,
// medians of the runs asked for.
//
//   tessaline-engine-timing INPUT W H QUALITY OUTPUT [RUNS] [HEADROOM]
//   tessaline-engine-timing --make-input W H QUALITY OUTPUT   (a synthetic photo)
//   tessaline-engine-timing --size PICTURE                    (prints W x H)
//
// HEADROOM > 0 also times loading for W*HEADROOM x H*HEADROOM.
#include "dialog/photo_load.h"
#include "imaging/conversion/conversion.h"
#include "imaging/gdiplus/gdiplus.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The window's preview area, in pixels, at the usual dialog font.
constexpr int kPreviewWidth = 168;
constexpr int kPreviewHeight = 125;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

imaging::CLSID JpegEncoder() {
    std::uint32_t n = 0, size = 0;
    imaging::GdipGetImageEncodersSize(&n, &size);
    std::vector<imaging::ImageCodecInfo> codecs(n);
    imaging::GdipGetImageEncoders(n, size, codecs.data());
    return codecs.empty() ? imaging::CLSID{} : codecs.front().Clsid;
}

imaging::Status Save(imaging::GpImage* image, const QString& path, std::uint32_t quality) {
    imaging::EncoderParameters params{};
    params.Count = 1;
    params.Parameter[0] = {imaging::EncoderQuality, 1, imaging::EncoderParameterValueType::Long, &quality};
    const imaging::CLSID clsid = JpegEncoder();
    return imaging::GdipSaveImageToFile(image, path, &clsid, &params);
}

// A photo-like picture without any tool but ours: smooth light, hard-edged
// shapes and fine noise from a fixed hash, so every run writes the same file.
int MakeInput(int w, int h, std::uint32_t quality, const QString& out) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint32_t hash = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
            hash = (hash ^ (hash >> 13)) * 1274126177u;
            const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
            const bool shape = ((x / (w / 23 + 1)) + (y / (h / 17 + 1))) % 5 == 0;
            for (int c = 0; c < 3; ++c) {
                const double light = 128 + 90 * std::sin(6.0 * u + 2.1 * c) * std::cos(4.0 * v - 1.3 * c);
                const int noise = static_cast<int>((hash >> (8 * c)) & 15) - 8;
                const int value = static_cast<int>(shape ? 255 - light : light) + noise;
                rgb[(static_cast<std::size_t>(y) * w + x) * 3 + c] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
            }
        }
    }
    std::unique_ptr<imaging::GpBitmap> bitmap;
    if (imaging::GdipCreateBitmapFromScan0(w, h, w * 3, imaging::PixelFormat24bppRGB, rgb.data(), bitmap) !=
            imaging::Status::Ok ||
        Save(bitmap.get(), out, quality) != imaging::Status::Ok) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}

int PrintSize(const QString& path) {
    std::unique_ptr<imaging::GpImage> picture;
    std::uint32_t w = 0, h = 0;
    if (imaging::GdipLoadImageFromFile(path, picture) != imaging::Status::Ok) return 1;
    imaging::GdipGetImageWidth(picture.get(), &w);
    imaging::GdipGetImageHeight(picture.get(), &h);
    std::printf("%ux%u\n", w, h);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args[1] == QLatin1String("--make-input"))
        return MakeInput(args[2].toInt(), args[3].toInt(), args[4].toUInt(), args[5]);
    if (args.size() == 3 && args[1] == QLatin1String("--size")) return PrintSize(args[2]);
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s INPUT W H QUALITY OUTPUT [RUNS] [HEADROOM]\n", argv[0]);
        return 2;
    }
    const QString input = args[1];
    const int w = args[2].toInt();
    const int h = args[3].toInt();
    const auto quality = args[4].toUInt();
    const QString output = args[5];
    const int runs = argc > 6 ? std::max(1, args[6].toInt()) : 5;
    const int headroom = argc > 7 ? args[7].toInt() : 0;
    const QSize previewSize(kPreviewWidth, kPreviewHeight);

    std::vector<double> firstLook, open, scaledLoad, convert, draw, save;
    for (int r = 0; r < runs; ++r) {
        // Open Photo: the first look is shown the moment it is drawn.
        const auto t0 = Clock::now();
        double lookedAt = -1;
        LoadedPhoto photo = LoadPhotoWithPreview(input, previewSize, [&](const QImage&) { lookedAt = Ms(t0, Clock::now()); });
        open.push_back(Ms(t0, Clock::now()));
        firstLook.push_back(lookedAt >= 0 ? lookedAt : open.back());
        imaging::GpImage* picture = photo.picture.get();
        if (photo.preview.isNull()) {
            std::fprintf(stderr, "no preview\n");
            return 1;
        }
        if (headroom > 0) {
            std::unique_ptr<imaging::GpImage> scaled;
            const auto t1 = Clock::now();
            imaging::LoadImageFrameForSize(input, 0, w * headroom, h * headroom, scaled);
            scaledLoad.push_back(Ms(t1, Clock::now()));
        }
        // The window's Convert on the loaded photo: the whole pipeline.
        imaging::ConversionInput in;
        in.picture = picture;
        in.outputWidth = w;
        in.outputHeight = h;
        in.quality = quality;
        in.outputPath = output;
        const auto t2 = Clock::now();
        const imaging::ConversionResult result = imaging::ConvertPicture(in);
        convert.push_back(Ms(t2, Clock::now()));
        if (!result.saved()) {
            std::fprintf(stderr, "conversion failed\n");
            return 1;
        }
        // The scaling alone, into a fresh bitmap.
        std::unique_ptr<imaging::GpBitmap> bitmap;
        imaging::GdipCreateBitmapFromScan0(w, h, 0, imaging::PixelFormat24bppRGB, nullptr, bitmap);
        std::unique_ptr<imaging::GpGraphics> graphics;
        imaging::GdipGetImageGraphicsContext(bitmap.get(), graphics);
        std::uint32_t pw = 0, ph = 0;
        imaging::GdipGetImageWidth(picture, &pw);
        imaging::GdipGetImageHeight(picture, &ph);
        const auto t3 = Clock::now();
        imaging::GdipDrawImageRectRectI(graphics.get(), picture, 0, 0, w, h, 0, 0, static_cast<int>(pw),
                                        static_cast<int>(ph), imaging::Unit::Pixel);
        draw.push_back(Ms(t3, Clock::now()));
        // The save alone.
        const auto t4 = Clock::now();
        Save(bitmap.get(), output, quality);
        save.push_back(Ms(t4, Clock::now()));
    }
    std::printf("open photo: first look drawn %.1f ms, whole picture and preview %.1f ms", Median(firstLook),
                Median(open));
    if (headroom > 0) std::printf("; load for %dx%d %.1f ms", w * headroom, h * headroom, Median(scaledLoad));
    std::printf("\nconvert (window engine time) %.1f ms: draw %.1f ms, save %.1f ms\n", Median(convert), Median(draw),
                Median(save));
    return 0;
}
