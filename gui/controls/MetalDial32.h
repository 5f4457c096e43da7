#pragma once
// TMetalDial32: the editor's knob — a shaded metal face with a red pointer,
// a coloured arc that shows the position (RangeStyle, tinted by the
// position when ValueToColor) and a drop shadow. Positions run 0..1; the
// pointer turns 270° from the lower left (position 0) through straight up
// (0.5) to the lower right (1).
//
// The face is shared through TMetalFaceCache by every metal knob of the
// same size and rendered from the settings of the first one that draws it
// (see there); a knob's own redraw only composes the face, the arc and the
// pointer over its background.

#include <memory>
#include <vector>

#include "gui/controls/CustomDial32.h"
#include "gui/controls/DialGeometry.h"
#include "gui/controls/MetalFaceCache.h"
#include "gui/surface/Shadow32.h"

namespace tessel {

class TMetalDial32 : public TCustomDial32 {
public:
    explicit TMetalDial32(TControlHost* host);
    ~TMetalDial32() override;

    // Tint the arc by the position: saturation 0.3 at 0 to 1 at 1.
    bool ValueToColor() const { return FValueToColor; }
    void SetValueToColor(bool value);
    TRangeStyle RangeStyle() const { return FRangeStyle; }
    // Throws EDialError("Unknown Range Style") for values outside the enum,
    // which could never be drawn, and keeps the old style.
    void SetRangeStyle(TRangeStyle style);
    TShadow32& Shadow() { return FShadow; }
    const TShadow32& Shadow() const { return FShadow; }
    void SetEnabled(bool enabled) override;

    // Face at full opacity (half when disabled), then — when enabled — the
    // range arc and the pointer.
    void DrawBuffer() override;
    // The range arc polygon for the current state (empty when none shows).
    std::vector<TFixedPoint> RangeArc() const;
    // The shared face this knob draws from (null before it has a size);
    // rendered on its first use.
    const TMetalFaceCache::TFace* Face() const { return FFace.get(); }

protected:
    void Resize() override;

private:
    float FaceRadius() const;
    void ComposeFace(const TBitmap32& face, std::uint8_t opacity);
    void DrawRangeArc();
    void DrawPointer();

    bool FValueToColor = true;
    TRangeStyle FRangeStyle = rsLeft;
    TShadow32 FShadow;
    std::shared_ptr<TMetalFaceCache::TFace> FFace;
};

}  // namespace tessel
