// Matching by content: the three colorants (which already carry the
// adaptation to the profile connection space's white) and the three tone
// curves, sampled across their range, against lcms2's built-in sRGB. With
// relative colorimetric rendering nothing else of a matrix/shaper profile
// changes the result; the description and media white are not looked at.
#include "imaging/colour/srgb_match.h"

#include <lcms2.h>

#include <cmath>
#include <memory>

namespace imaging::colour {
namespace {

struct ProfileCloser {
    void operator()(void* p) const { cmsCloseProfile(p); }
};

// Colorants within this distance in XYZ (the rounding of a 16-bit
// s15Fixed16 value written by different tools is far below it).
constexpr double kColorantTolerance = 0.002;
// Tone curves within this distance on a 16-bit scale: under half an 8-bit
// step.
constexpr int kCurveTolerance = 120;

bool ColorantsMatch(cmsHPROFILE a, cmsHPROFILE b) {
    for (cmsTagSignature tag : {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag}) {
        const auto* x = static_cast<const cmsCIEXYZ*>(cmsReadTag(a, tag));
        const auto* y = static_cast<const cmsCIEXYZ*>(cmsReadTag(b, tag));
        if (!x || !y) return false;
        if (std::abs(x->X - y->X) > kColorantTolerance || std::abs(x->Y - y->Y) > kColorantTolerance ||
            std::abs(x->Z - y->Z) > kColorantTolerance)
            return false;
    }
    return true;
}

bool CurvesMatch(cmsHPROFILE a, cmsHPROFILE b) {
    for (cmsTagSignature tag : {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag}) {
        const auto* x = static_cast<const cmsToneCurve*>(cmsReadTag(a, tag));
        const auto* y = static_cast<const cmsToneCurve*>(cmsReadTag(b, tag));
        if (!x || !y) return false;
        for (int i = 0; i <= 256; ++i) {
            const auto v = static_cast<cmsUInt16Number>(std::min(65535, i * 256));
            if (std::abs(int{cmsEvalToneCurve16(x, v)} - int{cmsEvalToneCurve16(y, v)}) > kCurveTolerance)
                return false;
        }
    }
    return true;
}

}  // namespace

bool ProfileMatchesSrgb(cmsHPROFILE profile) {
    if (!profile || cmsGetColorSpace(profile) != cmsSigRgbData || !cmsIsMatrixShaper(profile)) return false;
    static const std::unique_ptr<void, ProfileCloser> srgb(cmsCreate_sRGBProfile());
    return srgb && ColorantsMatch(profile, srgb.get()) && CurvesMatch(profile, srgb.get());
}

}  // namespace imaging::colour
