// Rotation and flipping on a small asymmetric picture, and the text stamp:
// where it lands and that it turns with the picture.
#include "imaging/conversion/conversion.h"
#include "engine_test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace imaging;
using engine_test::MakeBitmap;
using engine_test::PixelAt;

// Pixel (x, y) of a 3 x 2 picture encodes its own position.
std::uint32_t Tag(int x, int y) { return static_cast<std::uint32_t>(0x100000 * (x + 1) + 0x10 * (y + 1)); }

struct Case {
    RotateFlipType type;
    int w, h;
    // The source position each output pixel shows, for a 3 x 2 source.
    std::function<std::pair<int, int>(int, int)> from;
};

TEST(EngineRotateFlip, EightTypesOnAnAsymmetricPicture) {
    const int W = 3, H = 2;
    using R = RotateFlipType;
    const std::vector<Case> cases = {
        {R::RotateNoneFlipNone, W, H, [](int x, int y) { return std::pair{x, y}; }},
        {R::Rotate90FlipNone, H, W, [](int x, int y) { return std::pair{y, H - 1 - x}; }},
        {R::Rotate180FlipNone, W, H, [](int x, int y) { return std::pair{W - 1 - x, H - 1 - y}; }},
        {R::Rotate270FlipNone, H, W, [](int x, int y) { return std::pair{W - 1 - y, x}; }},
        {R::RotateNoneFlipX, W, H, [](int x, int y) { return std::pair{W - 1 - x, y}; }},
        {R::Rotate90FlipX, H, W, [](int x, int y) { return std::pair{y, x}; }},
        {R::Rotate180FlipX, W, H, [](int x, int y) { return std::pair{x, H - 1 - y}; }},
        {R::Rotate270FlipX, H, W, [](int x, int y) { return std::pair{W - 1 - y, H - 1 - x}; }},
    };
    for (const Case& c : cases) {
        auto bitmap = MakeBitmap(W, H, Tag);
        ASSERT_EQ(GdipImageRotateFlip(bitmap.get(), c.type), Status::Ok);
        std::uint32_t w = 0, h = 0;
        GdipGetImageWidth(bitmap.get(), &w);
        GdipGetImageHeight(bitmap.get(), &h);
        ASSERT_EQ(static_cast<int>(w), c.w) << static_cast<int>(c.type);
        ASSERT_EQ(static_cast<int>(h), c.h);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const auto [sx, sy] = c.from(x, y);
                EXPECT_EQ(PixelAt(bitmap->data().frame, x, y), Tag(sx, sy))
                    << "type " << static_cast<int>(c.type) << " at " << x << "," << y;
            }
    }
}

TEST(EngineRotateFlip, LargeTurnRoundTripsAndTilesCoverEdges) {
    // Sizes not multiples of the tile: 90 then 270 gives the picture back.
    auto bitmap = MakeBitmap(70, 45, [](int x, int y) { return static_cast<std::uint32_t>(x * 977 + y * 131); });
    ASSERT_EQ(GdipImageRotateFlip(bitmap.get(), RotateFlipType::Rotate90FlipNone), Status::Ok);
    ASSERT_EQ(GdipImageRotateFlip(bitmap.get(), RotateFlipType::Rotate270FlipNone), Status::Ok);
    for (int y = 0; y < 45; ++y)
        for (int x = 0; x < 70; ++x)
            ASSERT_EQ(PixelAt(bitmap->data().frame, x, y), static_cast<std::uint32_t>(x * 977 + y * 131) & 0xFFFFFF);
}

TEST(EngineRotateFlip, TableOfAnglesAndFlips) {
    using R = RotateFlipType;
    EXPECT_EQ(RotateFlipFor(0, 0), R::RotateNoneFlipNone);
    EXPECT_EQ(RotateFlipFor(0, 1), R::RotateNoneFlipX);
    EXPECT_EQ(RotateFlipFor(0, 2), R::RotateNoneFlipY);
    EXPECT_EQ(RotateFlipFor(90, 1), R::Rotate90FlipX);
    EXPECT_EQ(RotateFlipFor(90, 2), R::Rotate90FlipY);
    EXPECT_EQ(static_cast<int>(*RotateFlipFor(180, 1)), 6);
    EXPECT_EQ(static_cast<int>(*RotateFlipFor(180, 2)), 4);
    EXPECT_EQ(static_cast<int>(*RotateFlipFor(270, 0)), 3);
    EXPECT_EQ(static_cast<int>(*RotateFlipFor(270, 2)), 5);
    EXPECT_FALSE(RotateFlipFor(45, 0).has_value());
    EXPECT_EQ(RotateFlipFor(90, 7), R::Rotate90FlipNone);  // unknown flip: none
}

// The bounding box of the pixels that are not white.
QRect InkBox(const PixelBuffer& p) {
    QRect box;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            if (PixelAt(p, x, y) != 0xFFFFFFu) box |= QRect(x, y, 1, 1);
    return box;
}

void Stamp(GpBitmap* bitmap, float x, float y) {
    std::unique_ptr<GpGraphics> g;
    ASSERT_EQ(GdipGetImageGraphicsContext(bitmap, g), Status::Ok);
    LOGFONTW lf;
    lf.lfHeight = -20;
    lf.lfWeight = FW_BOLD;
    std::unique_ptr<GpFont> font;
    ASSERT_EQ(GdipCreateFontFromLogfontW(lf, font), Status::Ok);
    std::unique_ptr<GpSolidFill> brush;
    ASSERT_EQ(GdipCreateSolidFill(0xFF000000u, brush), Status::Ok);
    const RectF at{x, y, 0, 0};
    ASSERT_EQ(GdipDrawString(g.get(), QStringLiteral("WWWW"), -1, font.get(), &at, nullptr, brush.get()), Status::Ok);
}

TEST(EngineText, AppearsAtItsTopLeftCorner) {
    auto bitmap = MakeBitmap(200, 100, [](int, int) { return 0xFFFFFFu; });
    Stamp(bitmap.get(), 50, 30);
    const QRect box = InkBox(bitmap->data().frame);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GE(box.left(), 50);
    EXPECT_LE(box.left(), 56);
    EXPECT_GE(box.top(), 30);
    EXPECT_LE(box.top(), 40);
    EXPECT_GT(box.width(), box.height());  // a line of text, lying down
}

TEST(EngineText, TurnsWithANinetyDegreeRotation) {
    auto bitmap = MakeBitmap(200, 100, [](int, int) { return 0xFFFFFFu; });
    Stamp(bitmap.get(), 10, 10);
    const QRect before = InkBox(bitmap->data().frame);
    ASSERT_EQ(GdipImageRotateFlip(bitmap.get(), RotateFlipType::Rotate90FlipNone), Status::Ok);
    const QRect after = InkBox(bitmap->data().frame);
    // Clockwise: (x, y) goes to (H-1-y, x); the text now runs downwards.
    EXPECT_EQ(after.top(), before.left());
    EXPECT_EQ(after.right(), 99 - before.top());
    EXPECT_GT(after.height(), after.width());
}

TEST(EngineText, FailedObjectsMakeTheDrawFail) {
    auto bitmap = MakeBitmap(20, 20, [](int, int) { return 0xFFFFFFu; });
    std::unique_ptr<GpGraphics> g;
    ASSERT_EQ(GdipGetImageGraphicsContext(bitmap.get(), g), Status::Ok);
    std::unique_ptr<GpSolidFill> brush;
    GdipCreateSolidFill(0xFF000000u, brush);
    const RectF at{0, 0, 0, 0};
    EXPECT_NE(GdipDrawString(g.get(), QStringLiteral("x"), -1, nullptr, &at, nullptr, brush.get()), Status::Ok);
}

}  // namespace
