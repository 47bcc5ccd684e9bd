#include "imaging/decode/jxl/jxl_colour.h"

namespace imaging::decode::jxl {
namespace {

constexpr std::size_t kMaxProfileBytes = 64u * 1024 * 1024;

QByteArray Profile(JxlDecoder* decoder, JxlColorProfileTarget target) {
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, target, &size) != JXL_DEC_SUCCESS || size == 0 ||
        size > kMaxProfileBytes)
        return {};
    QByteArray icc(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, target, reinterpret_cast<std::uint8_t*>(icc.data()),
                                       size) != JXL_DEC_SUCCESS)
        return {};
    return icc;
}

bool IsSrgb(const JxlColorEncoding& e) {
    if (e.white_point != JXL_WHITE_POINT_D65 || e.transfer_function != JXL_TRANSFER_FUNCTION_SRGB) return false;
    return e.color_space == JXL_COLOR_SPACE_GRAY ||
           (e.color_space == JXL_COLOR_SPACE_RGB && e.primaries == JXL_PRIMARIES_SRGB);
}

}  // namespace

void ChooseOutputColour(JxlDecoder* decoder, bool usesOriginalProfile, bool grey) {
    JxlColorEncoding original{};
    if (usesOriginalProfile ||
        JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, &original) ==
            JXL_DEC_SUCCESS)
        return;  // libjxl has no choice, or chooses the header's colour space
    JxlColorEncoding srgb{};
    srgb.color_space = grey ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
    srgb.white_point = JXL_WHITE_POINT_D65;
    srgb.primaries = JXL_PRIMARIES_SRGB;
    srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
    srgb.rendering_intent = JXL_RENDERING_INTENT_RELATIVE;
    // Refused, libjxl keeps linear sRGB, which PixelProfile then states.
    JxlDecoderSetPreferredColorProfile(decoder, &srgb);
}

QByteArray OriginalProfile(JxlDecoder* decoder) { return Profile(decoder, JXL_COLOR_PROFILE_TARGET_ORIGINAL); }

QByteArray PixelProfile(JxlDecoder* decoder) {
    JxlColorEncoding data{};
    if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &data) ==
        JXL_DEC_SUCCESS) {
        if (IsSrgb(data)) return {};
        if (data.transfer_function == JXL_TRANSFER_FUNCTION_PQ || data.transfer_function == JXL_TRANSFER_FUNCTION_HLG)
            return {};
    }
    return Profile(decoder, JXL_COLOR_PROFILE_TARGET_DATA);
}

}  // namespace imaging::decode::jxl
