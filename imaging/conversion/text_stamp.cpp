// Text stamped through the imaging service's fonts, brushes and DrawString.
#include "imaging/conversion/text_stamp.h"

#include <QGuiApplication>

namespace imaging {
namespace {

// COLORREF 0x00BBGGRR to the fully opaque 0xFFRRGGBB.
ARGB OpaqueArgb(COLORREF color) {
    return 0xFF000000u | (static_cast<ARGB>(GetRValue(color)) << 16) | (static_cast<ARGB>(GetGValue(color)) << 8) |
           static_cast<ARGB>(GetBValue(color));
}

}  // namespace

bool DrawsText() { return true; }

std::unique_ptr<QCoreApplication> ApplicationForText(int& argc, char** argv) {
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Nothing here is checked: text that cannot be drawn is simply absent.
bool StampText(GpGraphics* graphics, const ConversionInput& in) {
    std::unique_ptr<GpFont> font;
    GdipCreateFontFromLogfontW(in.overlayFont, font);
    std::unique_ptr<GpSolidFill> brush;
    GdipCreateSolidFill(OpaqueArgb(in.overlayColor), brush);
    const RectF layout{static_cast<float>(in.textX), static_cast<float>(in.textY), 0.0f, 0.0f};
    GdipDrawString(graphics, in.overlayText, -1, font.get(), &layout, nullptr, brush.get());
    return true;
}

}  // namespace imaging
