// lcms2 behind the colour transforms. Transforms are made with
// cmsFLAGS_NOCACHE so one can run on several threads at once, and convert
// in place (input and output formats have the same pixel size; the alpha
// byte is not written, so it stays).
#include "imaging/colour/colour_transform.h"

#include "imaging/colour/srgb_match.h"
#include "imaging/core/parallel.h"

#include <lcms2.h>

#include <map>
#include <mutex>
#include <string>

namespace imaging::colour {
namespace {

constexpr cmsUInt32Number kFlags = cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE;

// Grey profiles read the first of the three equal channels of our RGB(A)
// pixels and skip the others.
constexpr cmsUInt32Number kGreyInRgb = COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(2);
constexpr cmsUInt32Number kGreyInRgba = COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);

struct ProfileCloser {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

struct TransformDeleter {
    void operator()(void* t) const { cmsDeleteTransform(t); }
};
using Handle = std::unique_ptr<void, TransformDeleter>;

Profile OpenProfile(const std::vector<std::uint8_t>& icc) {
    if (icc.empty() || icc.size() > 0x7FFFFFFF) return nullptr;
    return Profile(cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size())));
}

Handle MakeHandle(cmsHPROFILE from, cmsUInt32Number inFormat, cmsHPROFILE to, cmsUInt32Number outFormat) {
    return Handle(cmsCreateTransform(from, inFormat, to, outFormat, INTENT_RELATIVE_COLORIMETRIC, kFlags));
}

class LcmsRgbTransform final : public RgbTransform {
public:
    LcmsRgbTransform(Handle rgb, Handle rgba) : rgb_(std::move(rgb)), rgba_(std::move(rgba)) {}

    void Apply(PixelBuffer& pixels) const override {
        void* t = pixels.layout() == PixelLayout::Rgb8 ? rgb_.get() : rgba_.get();
        if (pixels.empty() || !t) return;
        const auto width = static_cast<cmsUInt32Number>(pixels.width());
        ParallelFor(pixels.height(), 64, [&](int begin, int end) {
            for (int y = begin; y < end; ++y) cmsDoTransform(t, pixels.row(y), pixels.row(y), width);
        });
    }

private:
    Handle rgb_;
    Handle rgba_;
};

class LcmsCmykTransform final : public CmykTransform {
public:
    LcmsCmykTransform(Handle plain, Handle inverted) : plain_(std::move(plain)), inverted_(std::move(inverted)) {}

    void Row(const std::uint8_t* cmyk, std::uint8_t* rgb, int width, bool inverted) const override {
        cmsDoTransform(inverted ? inverted_.get() : plain_.get(), cmyk, rgb, static_cast<cmsUInt32Number>(width));
    }

private:
    Handle plain_;
    Handle inverted_;
};

std::shared_ptr<const RgbTransform> MakeRgb(const std::vector<std::uint8_t>& icc) {
    const Profile from = OpenProfile(icc);
    if (!from) return nullptr;
    const cmsColorSpaceSignature space = cmsGetColorSpace(from.get());
    if (space != cmsSigRgbData && space != cmsSigGrayData) return nullptr;
    if (ProfileMatchesSrgb(from.get())) return nullptr;
    const Profile srgb(cmsCreate_sRGBProfile());
    if (!srgb) return nullptr;
    const bool grey = space == cmsSigGrayData;
    Handle rgb = MakeHandle(from.get(), grey ? kGreyInRgb : TYPE_RGB_8, srgb.get(), TYPE_RGB_8);
    Handle rgba = MakeHandle(from.get(), grey ? kGreyInRgba : TYPE_RGBA_8, srgb.get(), TYPE_RGBA_8);
    if (!rgb || !rgba) return nullptr;
    return std::make_shared<LcmsRgbTransform>(std::move(rgb), std::move(rgba));
}

std::shared_ptr<const CmykTransform> MakeCmyk(const std::vector<std::uint8_t>& icc) {
    const Profile from = OpenProfile(icc);
    if (!from || cmsGetColorSpace(from.get()) != cmsSigCmykData) return nullptr;
    const Profile srgb(cmsCreate_sRGBProfile());
    if (!srgb) return nullptr;
    Handle plain = MakeHandle(from.get(), TYPE_CMYK_8, srgb.get(), TYPE_RGB_8);
    Handle inverted = MakeHandle(from.get(), TYPE_CMYK_8_REV, srgb.get(), TYPE_RGB_8);
    if (!plain || !inverted) return nullptr;
    return std::make_shared<LcmsCmykTransform>(std::move(plain), std::move(inverted));
}

// The verdicts so far, by the profile's bytes (null ones included).
template <typename T>
std::shared_ptr<const T> Cached(const std::vector<std::uint8_t>& icc,
                                std::shared_ptr<const T> (*make)(const std::vector<std::uint8_t>&)) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const T>> cache;
    if (icc.empty()) return nullptr;
    std::string key(reinterpret_cast<const char*>(icc.data()), icc.size());
    const std::lock_guard lock(mutex);
    if (auto found = cache.find(key); found != cache.end()) return found->second;
    std::shared_ptr<const T> made = make(icc);
    cache.emplace(std::move(key), made);
    return made;
}

}  // namespace

std::shared_ptr<const RgbTransform> RgbToSrgb(const std::vector<std::uint8_t>& icc) { return Cached(icc, MakeRgb); }

std::shared_ptr<const CmykTransform> CmykToSrgb(const std::vector<std::uint8_t>& icc) { return Cached(icc, MakeCmyk); }

}  // namespace imaging::colour
