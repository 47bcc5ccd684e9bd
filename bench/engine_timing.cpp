// Times the engine's steps on one picture, in process: loading (in full, or
// decoded for the output size), and the conversion the window runs on an
// already loaded photo, step by step. Prints milliseconds, medians of the
// runs asked for.
//
//   tessaline-engine-timing INPUT W H QUALITY OUTPUT [RUNS] [HEADROOM]
//
// HEADROOM > 0 also times loading for W*HEADROOM x H*HEADROOM.
#include "imaging/conversion/conversion.h"
#include "imaging/gdiplus/gdiplus.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s INPUT W H QUALITY OUTPUT [RUNS] [HEADROOM]\n", argv[0]);
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const int w = std::atoi(argv[2]);
    const int h = std::atoi(argv[3]);
    const auto quality = static_cast<std::uint32_t>(std::atoi(argv[4]));
    const QString output = QString::fromLocal8Bit(argv[5]);
    const int runs = argc > 6 ? std::max(1, std::atoi(argv[6])) : 5;
    const int headroom = argc > 7 ? std::atoi(argv[7]) : 0;

    std::vector<double> load, scaledLoad, convert, draw, save;
    std::unique_ptr<imaging::GpImage> picture;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = Clock::now();
        imaging::GdipLoadImageFromFile(input, picture);
        load.push_back(Ms(t0, Clock::now()));
        if (headroom > 0) {
            std::unique_ptr<imaging::GpImage> scaled;
            const auto t1 = Clock::now();
            imaging::LoadImageFrameForSize(input, 0, w * headroom, h * headroom, scaled);
            scaledLoad.push_back(Ms(t1, Clock::now()));
        }
        // The window's Convert on the loaded photo: the whole pipeline.
        imaging::ConversionInput in;
        in.picture = picture.get();
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
        imaging::GdipGetImageWidth(picture.get(), &pw);
        imaging::GdipGetImageHeight(picture.get(), &ph);
        const auto t3 = Clock::now();
        imaging::GdipDrawImageRectRectI(graphics.get(), picture.get(), 0, 0, w, h, 0, 0, static_cast<int>(pw),
                                        static_cast<int>(ph), imaging::Unit::Pixel);
        draw.push_back(Ms(t3, Clock::now()));
        // The save alone.
        const std::uint32_t q = quality;
        imaging::EncoderParameters params{};
        params.Count = 1;
        params.Parameter[0] = {imaging::EncoderQuality, 1, imaging::EncoderParameterValueType::Long, &q};
        imaging::CLSID clsid{};
        std::uint32_t n = 0, size = 0;
        imaging::GdipGetImageEncodersSize(&n, &size);
        std::vector<imaging::ImageCodecInfo> codecs(n);
        imaging::GdipGetImageEncoders(n, size, codecs.data());
        clsid = codecs.at(0).Clsid;
        const auto t4 = Clock::now();
        imaging::GdipSaveImageToFile(bitmap.get(), output, &clsid, &params);
        save.push_back(Ms(t4, Clock::now()));
    }
    std::printf("load %.1f ms", Median(load));
    if (headroom > 0) std::printf(", load for %dx%d %.1f ms", w * headroom, h * headroom, Median(scaledLoad));
    std::printf("\nconvert (window engine time) %.1f ms: draw %.1f ms, save %.1f ms\n", Median(convert), Median(draw),
                Median(save));
    return 0;
}
