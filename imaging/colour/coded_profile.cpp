// The code points' tables (chromaticities and curves as H.273 defines
// them) and the profile lcms2 builds from them. The BT.709 family of
// curves (BT.709, BT.601, BT.2020, and the extended-range variants, equal
// on 0..1) describes a camera; viewers show such pictures with the
// display's sRGB-like curve, so it is taken as sRGB's here, which keeps
// the common BT.709 pictures as they are.
#include "imaging/colour/coded_profile.h"

#include <lcms2.h>

#include <optional>

namespace imaging::colour {
namespace {

struct Chromaticities {
    cmsCIExyY white;
    cmsCIExyYTRIPLE primaries;
};

constexpr cmsCIExyY kD65{0.3127, 0.3290, 1.0};
constexpr cmsCIExyY kIlluminantC{0.310, 0.316, 1.0};

std::optional<Chromaticities> PrimariesOf(int code) {
    switch (code) {
        case 1: return Chromaticities{kD65, {{0.640, 0.330, 1}, {0.300, 0.600, 1}, {0.150, 0.060, 1}}};  // BT.709
        case 4: return Chromaticities{kIlluminantC, {{0.67, 0.33, 1}, {0.21, 0.71, 1}, {0.14, 0.08, 1}}};  // BT.470 M
        case 5: return Chromaticities{kD65, {{0.64, 0.33, 1}, {0.29, 0.60, 1}, {0.15, 0.06, 1}}};  // BT.601 625
        case 6:  // BT.601 525
        case 7:  // SMPTE 240M
            return Chromaticities{kD65, {{0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}}};
        case 8:  // generic film
            return Chromaticities{kIlluminantC, {{0.681, 0.319, 1}, {0.243, 0.692, 1}, {0.145, 0.049, 1}}};
        case 9: return Chromaticities{kD65, {{0.708, 0.292, 1}, {0.170, 0.797, 1}, {0.131, 0.046, 1}}};  // BT.2020
        case 11:  // DCI-P3, with the projector's white
            return Chromaticities{{0.314, 0.351, 1}, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}};
        case 12:  // Display P3
            return Chromaticities{kD65, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}};
        case 22:  // EBU Tech. 3213
            return Chromaticities{kD65, {{0.630, 0.340, 1}, {0.295, 0.605, 1}, {0.155, 0.077, 1}}};
        default: return std::nullopt;  // XYZ (10), unspecified, reserved
    }
}

enum class Curve { Srgb, Gamma22, Gamma28, Smpte240, Linear, None };

Curve CurveOf(int code) {
    switch (code) {
        case 1: case 2: case 6: case 11: case 12: case 13: case 14: case 15: return Curve::Srgb;
        case 4: return Curve::Gamma22;
        case 5: return Curve::Gamma28;
        case 7: return Curve::Smpte240;
        case 8: return Curve::Linear;
        default: return Curve::None;  // logarithmic, PQ, HLG, SMPTE 428, reserved
    }
}

// The decoding curves as lcms2's parametric type 4:
// Y = (aX + b)^g for X >= d, Y = cX below.
cmsToneCurve* BuildCurve(Curve curve) {
    switch (curve) {
        case Curve::Srgb: {
            const double p[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
            return cmsBuildParametricToneCurve(nullptr, 4, p);
        }
        case Curve::Smpte240: {
            const double p[5] = {1 / 0.45, 1 / 1.1115, 0.1115 / 1.1115, 1 / 4.0, 4 * 0.0228};
            return cmsBuildParametricToneCurve(nullptr, 4, p);
        }
        case Curve::Gamma22: return cmsBuildGamma(nullptr, 2.2);
        case Curve::Gamma28: return cmsBuildGamma(nullptr, 2.8);
        case Curve::Linear: return cmsBuildGamma(nullptr, 1.0);
        case Curve::None: break;
    }
    return nullptr;
}

std::vector<std::uint8_t> SaveProfile(cmsHPROFILE profile) {
    std::vector<std::uint8_t> bytes;
    cmsUInt32Number size = 0;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(size);
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
    }
    if (profile) cmsCloseProfile(profile);
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> ProfileFromCodePoints(int colourPrimaries, int transferCharacteristics) {
    const Curve curve = CurveOf(transferCharacteristics);
    if (curve == Curve::None) return {};
    const bool bt709 = colourPrimaries == 1 || colourPrimaries == 2;
    if (bt709 && curve == Curve::Srgb) return {};
    const std::optional<Chromaticities> chromaticities = PrimariesOf(bt709 ? 1 : colourPrimaries);
    if (!chromaticities) return {};
    cmsToneCurve* tone = BuildCurve(curve);
    if (!tone) return {};
    cmsToneCurve* curves[3] = {tone, tone, tone};
    std::vector<std::uint8_t> icc =
        SaveProfile(cmsCreateRGBProfile(&chromaticities->white, &chromaticities->primaries, curves));
    cmsFreeToneCurve(tone);
    return icc;
}

}  // namespace imaging::colour
