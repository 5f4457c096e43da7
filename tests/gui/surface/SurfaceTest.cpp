// Surface basics: size, direct access, clip, fills, transfers, window copy,
// shadow settings.

#include <gtest/gtest.h>

#include <stdexcept>

#include "gui/surface/Bitmap32.h"
#include "gui/surface/Shadow32.h"
#include "tests/gui/SurfaceTesting.h"

namespace tessel {
namespace {

using testing::CountDifferent;

TEST(SurfaceTest, ResizeKeepsPixelsAtTheSameSizeAndClearsOtherwise) {
    TBitmap32 s(4, 3);
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 0);
    s.Clear(0xFF112233u);
    s.SetClip({1, 1, 3, 2});
    s.Resize(4, 3);
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0xFF112233u), 0);
    EXPECT_EQ(s.ClipRect(), (TRect{1, 1, 3, 2}));
    s.Resize(3, 4);
    EXPECT_EQ(s.Width(), 3);
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), 0), 0);
    EXPECT_EQ(s.ClipRect(), s.BoundsRect());
}

TEST(SurfaceTest, NegativeSizesCountAsZeroAndHugeSizesAreRefused) {
    TBitmap32 s(5, 5);
    s.Resize(-3, 7);
    EXPECT_EQ(s.Width(), 0);
    EXPECT_EQ(s.Height(), 7);
    EXPECT_TRUE(s.Empty());
    EXPECT_THROW(s.Resize(TCustomBitmap32::kMaxSide + 1, 1), std::length_error);
    EXPECT_EQ(s.Height(), 7);  // unchanged by the refused resize
}

TEST(SurfaceTest, RowPixelsAddressesRowsAndRefusesOutsideRows) {
    TBitmap32 s(3, 2);
    ASSERT_NE(s.RowPixels(1), nullptr);
    EXPECT_EQ(s.RowPixels(1), s.RowPixels(0) + 3);
    s.RowPixels(1)[2] = 0xAABBCCDDu;
    EXPECT_EQ(s.Pixel(2, 1), 0xAABBCCDDu);
    EXPECT_EQ(s.RowPixels(-1), nullptr);
    EXPECT_EQ(s.RowPixels(2), nullptr);
    EXPECT_EQ(s.Pixel(3, 0), 0u);
}

TEST(SurfaceTest, AssignTakesSizePixelsModesAndFont) {
    TBitmap32 a(2, 2);
    a.Clear(0x80FF0000u);
    a.SetDrawMode(dmBlend);
    a.SetCombineMode(cmMerge);
    a.SetMasterAlpha(99);
    a.SetOuterColor(0x12345678u);
    a.Font().Name = "Verdana";
    a.Font().Size = 20;
    a.Font().Style.Bold = true;
    TBitmap32 b(7, 7);
    b.Assign(a);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(CountDifferent(b, b.BoundsRect(), 0x80FF0000u), 0);
    EXPECT_EQ(b.DrawMode(), dmBlend);
    EXPECT_EQ(b.CombineMode(), cmMerge);
    EXPECT_EQ(b.MasterAlpha(), 99);
    EXPECT_EQ(b.OuterColor(), 0x12345678u);
    EXPECT_EQ(b.Font(), a.Font());
}

TEST(SurfaceTest, SetClipIntersectsWithTheSurface) {
    TBitmap32 s(10, 8);
    s.SetClip({-5, 2, 4, 100});
    EXPECT_EQ(s.ClipRect(), (TRect{0, 2, 4, 8}));
    s.SetClip({20, 20, 30, 30});
    EXPECT_TRUE(s.ClipRect().IsEmpty());
    s.ResetClip();
    EXPECT_EQ(s.ClipRect(), s.BoundsRect());
}

TEST(SurfaceTest, FillRectStoresTheColourWithoutBlendingInsideTheClip) {
    TBitmap32 s(10, 10);
    s.Clear(kWhite32);
    s.SetClip({2, 2, 8, 8});
    s.FillRect(0, 5, 20, 7, 0x40000000u);
    EXPECT_EQ(s.Pixel(2, 5), 0x40000000u);  // alpha stored, not blended
    EXPECT_EQ(s.Pixel(7, 6), 0x40000000u);
    EXPECT_EQ(s.Pixel(1, 5), kWhite32);
    EXPECT_EQ(s.Pixel(8, 5), kWhite32);
    EXPECT_EQ(s.Pixel(5, 7), kWhite32);  // y2 excluded
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), kWhite32), 6 * 2);
    s.FillRect(6, 6, 3, 3, kBlack32);  // reversed corners fill nothing
    EXPECT_EQ(CountDifferent(s, s.BoundsRect(), kWhite32), 6 * 2);
}

TEST(DrawOntoTest, OpaqueReplacesAndBlendCombines) {
    TBitmap32 src(2, 1);
    src.RowPixels(0)[0] = 0x80FF0000u;
    src.RowPixels(0)[1] = 0x00FFFFFFu;
    TBitmap32 dst(4, 3);
    dst.Clear(kBlack32);
    src.DrawOnto(dst, 1, 1);
    EXPECT_EQ(dst.Pixel(1, 1), 0x80FF0000u);
    EXPECT_EQ(dst.Pixel(2, 1), 0x00FFFFFFu);
    EXPECT_EQ(dst.Pixel(0, 1), kBlack32);

    dst.Clear(kBlack32);
    src.SetDrawMode(dmBlend);
    src.DrawOnto(dst, 1, 1);
    EXPECT_EQ(dst.Pixel(1, 1), Color32(128, 0, 0, 192));
    EXPECT_EQ(dst.Pixel(2, 1), kBlack32);  // transparent source leaves the target
}

TEST(DrawOntoTest, MasterAlphaScalesAndZeroDrawsNothing) {
    TBitmap32 src(1, 1);
    src.Clear(0xFFFF0000u);
    src.SetDrawMode(dmBlend);
    src.SetMasterAlpha(128);
    TBitmap32 dst(1, 1);
    dst.Clear(kBlack32);
    src.DrawOnto(dst, 0, 0);
    EXPECT_EQ(dst.Pixel(0, 0), Blend(0x80FF0000u, kBlack32));
    src.SetMasterAlpha(0);
    dst.Clear(kBlack32);
    src.DrawOnto(dst, 0, 0);
    EXPECT_EQ(dst.Pixel(0, 0), kBlack32);
}

TEST(DrawOntoTest, MergeCompositesOntoTransparentTargets) {
    TBitmap32 src(1, 1);
    src.Clear(0x80FF0000u);
    src.SetDrawMode(dmBlend);
    src.SetCombineMode(cmMerge);
    TBitmap32 dst(2, 1);
    dst.RowPixels(0)[1] = 0x800000FFu;
    src.DrawOnto(dst, 0, 0);
    src.DrawOnto(dst, 1, 0);
    EXPECT_EQ(dst.Pixel(0, 0), 0x80FF0000u);  // onto nothing: the source itself
    EXPECT_EQ(dst.Pixel(1, 0), Merge(0x80FF0000u, 0x800000FFu));
}

TEST(DrawOntoTest, RectangleFormScalesByNearestNeighbour) {
    TBitmap32 src(2, 2);
    src.RowPixels(0)[0] = 0xFF000001u;
    src.RowPixels(0)[1] = 0xFF000002u;
    src.RowPixels(1)[0] = 0xFF000003u;
    src.RowPixels(1)[1] = 0xFF000004u;
    TBitmap32 dst(6, 4);
    src.DrawOnto(dst, TRect{1, 0, 5, 4}, TRect{0, 0, 2, 2});
    EXPECT_EQ(dst.Pixel(0, 0), 0u);
    EXPECT_EQ(dst.Pixel(1, 0), 0xFF000001u);
    EXPECT_EQ(dst.Pixel(2, 1), 0xFF000001u);
    EXPECT_EQ(dst.Pixel(3, 1), 0xFF000002u);
    EXPECT_EQ(dst.Pixel(4, 3), 0xFF000004u);
    EXPECT_EQ(dst.Pixel(5, 3), 0u);
    // Shrinking picks the pixel under each target pixel's centre.
    TBitmap32 small(1, 1);
    src.DrawOnto(small, TRect{0, 0, 1, 1}, TRect{0, 0, 2, 2});
    EXPECT_EQ(small.Pixel(0, 0), 0xFF000004u);
    // A source rectangle reaching past the surface transfers nothing there.
    TBitmap32 wide(4, 1);
    src.DrawOnto(wide, TRect{0, 0, 4, 1}, TRect{-1, 0, 3, 1});
    EXPECT_EQ(wide.Pixel(0, 0), 0u);
    EXPECT_EQ(wide.Pixel(1, 0), 0xFF000001u);
    EXPECT_EQ(wide.Pixel(3, 0), 0u);
}

TEST(DrawOntoTest, DrawingOntoItselfReadsTheOriginal) {
    TBitmap32 s(3, 1);
    s.RowPixels(0)[0] = 0xFF000001u;
    s.RowPixels(0)[1] = 0xFF000002u;
    s.DrawOnto(s, 1, 0);
    EXPECT_EQ(s.Pixel(1, 0), 0xFF000001u);
    EXPECT_EQ(s.Pixel(2, 0), 0xFF000002u);
}

class TCapturingSink final : public TWindowSink {
public:
    void PutPixels(int x, int y, int width, int height, const TColor32* rows, int stride) override {
        Calls++;
        X = x;
        Y = y;
        Width = width;
        Height = height;
        Last = rows[static_cast<std::size_t>(height - 1) * stride + width - 1];
    }
    int Calls = 0, X = 0, Y = 0, Width = 0, Height = 0;
    TColor32 Last = 0;
};

TEST(SurfaceTest, CopyToWindowHandsTheWholeSurfaceToTheSinkOnce) {
    TBitmap32 s(5, 4);
    s.RowPixels(3)[4] = 0x7F010203u;
    TCapturingSink sink;
    s.CopyToWindow(sink, 10, 20);
    EXPECT_EQ(sink.Calls, 1);
    EXPECT_EQ(sink.X, 10);
    EXPECT_EQ(sink.Y, 20);
    EXPECT_EQ(sink.Width, 5);
    EXPECT_EQ(sink.Height, 4);
    EXPECT_EQ(sink.Last, 0x7F010203u);
    TBitmap32 empty;
    empty.CopyToWindow(sink, 0, 0);
    EXPECT_EQ(sink.Calls, 1);
}

TEST(Shadow32Test, ChangesNotifyTheOwnerAndPointAssignmentDoesNot) {
    TShadow32 shadow;
    int repaints = 0;
    shadow.SetOnChange([&] { ++repaints; });
    shadow.SetBlur(3);
    shadow.SetBlur(3);
    shadow.SetVisible(true);
    shadow.SetOffsetX(2);
    shadow.SetOffsetY(-1);
    shadow.SetTransparency(120);
    EXPECT_EQ(repaints, 5);
    shadow.SetOffset({7, 8});
    EXPECT_EQ(repaints, 5);
    EXPECT_EQ(shadow.OffsetX(), 7);
    EXPECT_EQ(shadow.OffsetY(), 8);
    TShadow32 copy;
    copy.Assign(shadow);
    EXPECT_EQ(copy.Blur(), 3);
    EXPECT_TRUE(copy.Visible());
    EXPECT_EQ(copy.Transparency(), 120);
}

}  // namespace
}  // namespace tessel
