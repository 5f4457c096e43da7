#include "gui/controls/DialGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gui/controls/DialPointerAngles.h"

namespace tessel {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTravel = 1.5f * kPi;  // 270° of pointer travel

// Arc start angles (radians, screen): the lower left, straight up.
constexpr float kLeftStart = 2.3561945f;   // 3π/4
constexpr float kCenterStart = 4.712389f;  // 3π/2
// rsPosition: an arc of π/10 (18°) starting 0.865 of the travel before the
// pointer's own angle, 8.55° ahead of it.
constexpr float kPositionLead = 0.865f;
constexpr float kPositionSweep = kPi / 10.0f;
constexpr float kPositionSpan = 0.1f;  // radians of arc length the point count is based on

// Rotates (x, y) by the angle whose cosine and sine are given.
void Rotate(float& x, float& y, float cosA, float sinA) {
    const float nx = x * cosA - y * sinA;
    y = y * cosA + x * sinA;
    x = nx;
}

// Round half to even, the rounding the knob's counts were defined with.
int RoundEven(float v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

int CircleVertexCount(float radius) {
    // Below one pixel arcsin(1/r) is undefined: such a circle is a triangle.
    if (!(radius > 1.0f)) return 3;
    return std::max(3, RoundEven(2.0f / std::asin(1.0f / radius)));
}

std::vector<TFixedPoint> CirclePolygon(float cx, float cy, float radius) {
    const int n = CircleVertexCount(radius);
    const float step = 2.0f * kPi / static_cast<float>(n);
    const float c = std::cos(step), s = std::sin(step);
    std::vector<TFixedPoint> points;
    points.reserve(static_cast<std::size_t>(n));
    float x = 0.0f, y = radius;
    for (int i = 0; i < n; ++i) {
        points.push_back(DialPoint(cx + x, cy + y));
        Rotate(x, y, c, s);
    }
    return points;
}

std::vector<TFixedPoint> RangeArcPolygon(TRangeStyle style, float position, float cx, float cy, float inner,
                                         float outer) {
    // Bounded input keeps the point count bounded.
    position = std::isnan(position) ? 0.0f : std::clamp(position, 0.0f, 1.0f);
    // Points per edge: one per arcsin(1/outer) radians of arc, plus one.
    const float a = outer > 1.0f ? std::asin(1.0f / outer) : kPi / 2.0f;
    float start, sweep;
    int h;
    switch (style) {
        case rsNone:
            return {};
        case rsLeft:
            h = RoundEven(1.5f * position / a) + 1;
            start = kLeftStart;
            sweep = position * kTravel;
            break;
        case rsCenter:
            h = RoundEven(std::fabs(1.5f * position - 0.75f) / a) + 1;
            start = kCenterStart;
            sweep = (position - 0.5f) * kTravel;
            break;
        case rsPosition:
            h = RoundEven(kPositionSpan / a) + 1;
            start = (position - kPositionLead) * kTravel;
            sweep = kPositionSweep;
            break;
        default:
            throw EDialError("Unknown Range Style");
    }
    if (h <= 1) return {};
    const float step = sweep / static_cast<float>(h - 1);
    const float c = std::cos(step), s = std::sin(step);
    std::vector<TFixedPoint> points(2 * static_cast<std::size_t>(h));
    float ux = std::cos(start), uy = std::sin(start);  // unit vector along the current angle
    for (int i = 0; i < h; ++i) {
        points[i] = DialPoint(cx + outer * ux, cy + outer * uy);
        points[2 * h - 1 - i] = DialPoint(cx + inner * ux, cy + inner * uy);
        Rotate(ux, uy, c, s);
    }
    return points;
}

namespace {

// o + a·p ± w·q for the pointer direction p and its normal q.
std::vector<TFixedPoint> PointerQuad(float cx, float cy, float radius, float theta, float from, float to) {
    constexpr float kHalfWidth = 0.04f;
    const float px = radius * std::cos(theta), py = radius * std::sin(theta);
    const float qx = py, qy = -px;
    auto at = [&](float along, float across) {
        return DialPoint(cx + along * px + across * qx, cy + along * py + across * qy);
    };
    return {at(from, kHalfWidth), at(to, kHalfWidth), at(to, -kHalfWidth), at(from, -kHalfWidth)};
}

}  // namespace

std::vector<TFixedPoint> PointerBodyPolygon(float cx, float cy, float radius, float theta) {
    return PointerQuad(cx, cy, radius, theta, 0.39f, 0.85f);
}

std::vector<TFixedPoint> PointerTipPolygon(float cx, float cy, float radius, float theta) {
    return PointerQuad(cx, cy, radius, theta, 1.0f, 0.85f);
}

}  // namespace tessel
