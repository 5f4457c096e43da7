#include "gui/controls/MetalDial32.h"

#include <algorithm>
#include <numbers>

#include "gui/surface/SystemColors.h"

namespace tessel {
namespace {

constexpr int kStartDegrees = 225;  // lower left
constexpr int kRangeDegrees = 270;

constexpr float kFaceRadius = 0.35f;  // of min(width, height)
constexpr float kArcInner = 1.1f;     // arc band, in face radii
constexpr float kArcOuter = 1.2857f;
constexpr std::uint8_t kDisabledOpacity = 127;
constexpr TColor32 kOutline = 0x3F000000u;  // arc and pointer outlines
constexpr TColor32 kPointerBody = 0xFFFF0000u;
constexpr TColor32 kPointerTip = 0xFF000000u;

}  // namespace

TMetalDial32::TMetalDial32(TControlHost* host) : TCustomDial32(host) {
    SetColor(clBtnFace);
    SetMax(1.0f);
    PointerAngles().SetStart(kStartDegrees);
    PointerAngles().SetRange(kRangeDegrees);
    FShadow.SetOnChange([this] { Invalidate(); });
}

TMetalDial32::~TMetalDial32() { TMetalFaceCache::Release(FFace); }

void TMetalDial32::SetValueToColor(bool value) {
    if (value == FValueToColor) return;
    FValueToColor = value;
    Invalidate();
}

void TMetalDial32::SetRangeStyle(TRangeStyle style) {
    if (style == FRangeStyle) return;
    if (style > rsPosition) throw EDialError("Unknown Range Style");
    FRangeStyle = style;
    Invalidate();
}

void TMetalDial32::SetEnabled(bool enabled) {
    TCustomDial32::SetEnabled(enabled);
    Invalidate();
}

void TMetalDial32::Resize() {
    TCustomDial32::Resize();
    FFace = TMetalFaceCache::Attach(Buffer().Width(), Buffer().Height(), std::move(FFace), Scale());
}

float TMetalDial32::FaceRadius() const {
    return kFaceRadius * static_cast<float>(std::min(Buffer().Width(), Buffer().Height()));
}

std::vector<TFixedPoint> TMetalDial32::RangeArc() const {
    const float r = FaceRadius();
    return RangeArcPolygon(FRangeStyle, Fraction(), static_cast<float>(Buffer().Width()) / 2.0f,
                           static_cast<float>(Buffer().Height()) / 2.0f, kArcInner * r, kArcOuter * r);
}

void TMetalDial32::DrawBuffer() {
    PaintBackground();
    if (FFace) {
        const TBitmap32& face = FFace->Rendered(FromSystemColor(Color()), FShadow);
        ComposeFace(face, Enabled() ? 255 : kDisabledOpacity);
    }
    if (Enabled()) {
        DrawRangeArc();
        DrawPointer();
    }
    FinishBuffer();
}

// The face is shared with other knobs, possibly on other editor threads,
// so its own MasterAlpha is never touched: the opacity is applied here.
void TMetalDial32::ComposeFace(const TBitmap32& face, std::uint8_t opacity) {
    TBitmap32& buffer = DrawingBuffer();
    const int w = std::min(face.Width(), buffer.Width()), h = std::min(face.Height(), buffer.Height());
    for (int y = 0; y < h; ++y) {
        const TColor32* src = face.RowPixels(y);
        TColor32* dst = buffer.RowPixels(y);
        for (int x = 0; x < w; ++x) dst[x] = Blend(ScaleAlpha(src[x], opacity), dst[x]);
    }
}

void TMetalDial32::DrawRangeArc() {
    const std::vector<TFixedPoint> arc = RangeArc();
    if (arc.empty()) return;
    const TColor32 color = FValueToColor ? WithSaturation(ColorCircle(), Fraction()) : ColorCircle();
    DrawingBuffer().FillPolygon(arc, color);
    DrawingBuffer().StrokePolyline(arc, kOutline, true, Scale().Factor());
}

void TMetalDial32::DrawPointer() {
    const float cx = static_cast<float>(Buffer().Width()) / 2.0f;
    const float cy = static_cast<float>(Buffer().Height()) / 2.0f;
    const float theta = PointerAngle() - std::numbers::pi_v<float> / 2.0f;
    const std::vector<TFixedPoint> body = PointerBodyPolygon(cx, cy, FaceRadius(), theta);
    DrawingBuffer().FillPolygon(body, kPointerBody);
    DrawingBuffer().StrokePolyline(body, kOutline, true, Scale().Factor());
    DrawingBuffer().FillPolygon(PointerTipPolygon(cx, cy, FaceRadius(), theta), kPointerTip);
}

}  // namespace tessel
