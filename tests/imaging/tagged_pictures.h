#pragma once
// Pictures the colour and metadata tests make for themselves: ICC profiles
// built with lcms2, JPEGs carrying them and any other APPn segments, and
// conversions run through the pipeline.

#include "imaging/conversion/conversion.h"
#include "imaging/gdiplus/gdiplus_objects.h"

#include <QFile>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

// clang-format off
#include <jpeglib.h>
#include <lcms2.h>
// clang-format on

namespace tagged {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    int r, g, b;
};

inline Bytes SaveProfile(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    Bytes bytes;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(size);
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
    }
    if (profile) cmsCloseProfile(profile);
    return bytes;
}

// A matrix/shaper RGB profile from chromaticities and a tone curve.
inline Bytes RgbProfile(cmsCIExyY white, cmsCIExyYTRIPLE primaries, cmsToneCurve* curve) {
    cmsToneCurve* curves[3] = {curve, curve, curve};
    Bytes bytes = SaveProfile(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    return bytes;
}

inline cmsCIExyY D65() { return {0.3127, 0.3290, 1.0}; }

inline Bytes AdobeRgbProfile() {
    return RgbProfile(D65(), {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}}, cmsBuildGamma(nullptr, 563.0 / 256));
}
inline Bytes ProPhotoProfile() {
    return RgbProfile({0.3457, 0.3585, 1.0}, {{0.7347, 0.2653, 1}, {0.1596, 0.8404, 1}, {0.0366, 0.0001, 1}},
                      cmsBuildGamma(nullptr, 1.8));
}
// Display P3: P3 primaries, D65, the sRGB tone curve.
inline Bytes DisplayP3Profile() {
    const double srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return RgbProfile(D65(), {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}},
                      cmsBuildParametricToneCurve(nullptr, 4, srgbCurve));
}

// A CMYK input profile whose inks are not the naive complement of RGB: a
// grid from CMYK to Lab through a made-up press (the inks tinted, black
// darker than full cyan, magenta and yellow).
inline int PressSampler(const cmsUInt16Number in[], cmsUInt16Number out[], void*) {
    const double c = in[0] / 65535.0, m = in[1] / 65535.0, y = in[2] / 65535.0, k = in[3] / 65535.0;
    auto channel = [&](double ink, double other) { return (1 - 0.9 * ink) * (1 - 0.1 * other) * (1 - 0.95 * k); };
    cmsCIEXYZ xyz;
    const double r = channel(c, m), g = channel(m, y), b = channel(y, c);
    // Linear sRGB to XYZ (D50-adapted) for the made-up press's light.
    xyz.X = 0.4360 * r + 0.3851 * g + 0.1431 * b;
    xyz.Y = 0.2225 * r + 0.7169 * g + 0.0606 * b;
    xyz.Z = 0.0139 * r + 0.0971 * g + 0.7139 * b;
    cmsCIELab lab;
    cmsXYZ2Lab(cmsD50_XYZ(), &lab, &xyz);
    cmsFloat2LabEncoded(out, &lab);
    return TRUE;
}

inline Bytes CmykProfile() {
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigInputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 9, 4, 3, nullptr);
    cmsStageSampleCLut16bit(grid, PressSampler, nullptr, 0);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, grid);
    cmsWriteTag(profile, cmsSigAToB0Tag, pipeline);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipelineFree(pipeline);
    return SaveProfile(profile);
}

struct Marker {
    int code;  // JPEG_APP0 + n
    Bytes data;
};

struct TaggedJpeg {
    Bytes icc;                   // written with jpeg_write_icc_profile
    std::vector<Marker> markers;  // written as they are, after the profile
    bool adobeCmyk = false;      // four inverted inks: stored bytes are R, G, B, 255
    int quality = 100;
};

// Writes a JPEG of `colour(x, y)`; for Adobe CMYK the RGB value is stored
// as inverted inks with no black (the naive reading gives it back).
inline bool WriteJpeg(const QString& path, int width, int height, const std::function<Rgb(int, int)>& colour,
                      const TaggedJpeg& tagging = {}) {
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) return false;
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = tagging.adobeCmyk ? 4 : 3;
    info.in_color_space = tagging.adobeCmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, tagging.quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (!tagging.icc.empty()) jpeg_write_icc_profile(&info, tagging.icc.data(), static_cast<unsigned>(tagging.icc.size()));
    for (const Marker& m : tagging.markers)
        jpeg_write_marker(&info, m.code, m.data.data(), static_cast<unsigned>(m.data.size()));
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * info.input_components);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            JSAMPLE* p = row.data() + x * info.input_components;
            p[0] = static_cast<JSAMPLE>(c.r);
            p[1] = static_cast<JSAMPLE>(c.g);
            p[2] = static_cast<JSAMPLE>(c.b);
            if (tagging.adobeCmyk) p[3] = 255;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return true;
}

// A smooth sweep through hues and lightness, saturated at the top.
inline Rgb Sweep(int x, int y, int w, int h) {
    const double t = static_cast<double>(x) / (w - 1), v = 1.0 - 0.8 * y / (h - 1);
    const double r = std::clamp(std::abs(t * 6 - 3) - 1, 0.0, 1.0);
    const double g = std::clamp(2 - std::abs(t * 6 - 2), 0.0, 1.0);
    const double b = std::clamp(2 - std::abs(t * 6 - 4), 0.0, 1.0);
    return {static_cast<int>(std::lround(255 * r * v)), static_cast<int>(std::lround(255 * g * v)),
            static_cast<int>(std::lround(255 * b * v))};
}

inline Bytes ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray all = f.readAll();
    return Bytes(all.begin(), all.end());
}

// Loads `input` as the command line does and converts it to
// width x height (0: the picture's size) into `output`.
inline bool Convert(const QString& input, const QString& output, int width = 0, int height = 0,
                    const std::function<void(imaging::ConversionInput&)>& adjust = {}) {
    std::unique_ptr<imaging::GpImage> picture;
    const bool sized = width > 0 && height > 0;
    if ((sized ? imaging::LoadImageFrameScaled(input, 0, width, height, width, height, picture)
               : imaging::LoadImageFrameForSize(input, 0, 0, 0, picture)) != imaging::Status::Ok)
        return false;
    std::uint32_t w = 0, h = 0;
    imaging::GdipGetImageWidth(picture.get(), &w);
    imaging::GdipGetImageHeight(picture.get(), &h);
    imaging::ConversionInput in;
    in.picture = picture.get();
    in.outputWidth = sized ? width : static_cast<int>(w);
    in.outputHeight = sized ? height : static_cast<int>(h);
    in.quality = 100;
    in.outputPath = output;
    if (adjust) adjust(in);
    return imaging::ConvertPicture(in).saved();
}

// The pixels of a JPEG as decoded for conversion (no profile applied when
// it has none).
inline imaging::PixelBuffer Decoded(const QString& path) {
    std::unique_ptr<imaging::GpImage> picture;
    imaging::LoadImageFrameForSize(path, 0, 0, 0, picture);
    imaging::PixelBuffer copy;
    if (imaging::FrameOf(picture.get())) copy = std::move(picture->data().frame);
    return copy;
}

inline Rgb PixelOf(const imaging::PixelBuffer& p, int x, int y) {
    const std::uint8_t* q = p.row(y) + static_cast<std::size_t>(x) * p.channels();
    return {q[0], q[1], q[2]};
}

// Mean CIEDE2000 between two sRGB pictures of the same size.
inline double MeanDeltaE(const imaging::PixelBuffer& a, const QImage& b) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const Rgb p = PixelOf(a, x, y);
            const QRgb q = b.pixel(x, y);
            const std::uint8_t one[3] = {static_cast<std::uint8_t>(p.r), static_cast<std::uint8_t>(p.g),
                                         static_cast<std::uint8_t>(p.b)};
            const std::uint8_t two[3] = {static_cast<std::uint8_t>(qRed(q)), static_cast<std::uint8_t>(qGreen(q)),
                                         static_cast<std::uint8_t>(qBlue(q))};
            cmsCIELab l1, l2;
            cmsDoTransform(toLab, one, &l1, 1);
            cmsDoTransform(toLab, two, &l2, 1);
            sum += cmsCIE2000DeltaE(&l1, &l2, 1, 1, 1);
        }
    }
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return sum / (static_cast<double>(a.width()) * a.height());
}

inline bool WriteFile(const QString& path, const Bytes& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

}  // namespace tagged
