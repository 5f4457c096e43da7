#pragma once
// The system colours that negative window-system colour words name.
//
// A desktop toolkit would ask the running desktop for these; the editor only
// needs stable, legible equivalents, so they are a fixed table modelled on
// the classic grey desktop palette (button face 240/240/240, window white,
// window text black, selection blue). The table lives in SystemColors.cpp.

#include <cstdint>

namespace tessel {

// Indices (the low byte of a negative colour word).
enum TSystemColorIndex : std::uint8_t {
    scScrollBar = 0,
    scBackground = 1,
    scActiveCaption = 2,
    scInactiveCaption = 3,
    scMenu = 4,
    scWindow = 5,
    scWindowFrame = 6,
    scMenuText = 7,
    scWindowText = 8,
    scCaptionText = 9,
    scActiveBorder = 10,
    scInactiveBorder = 11,
    scAppWorkspace = 12,
    scHighlight = 13,
    scHighlightText = 14,
    scBtnFace = 15,
    scBtnShadow = 16,
    scGrayText = 17,
    scBtnText = 18,
    scInactiveCaptionText = 19,
    scBtnHighlight = 20,
    sc3DDkShadow = 21,
    sc3DLight = 22,
    scInfoText = 23,
    scInfoBk = 24,
    scHotLight = 26,
    scGradientActiveCaption = 27,
    scGradientInactiveCaption = 28,
    scMenuHighlight = 29,
    scMenuBar = 30,
};

// The negative colour word that names a system colour (e.g. clBtnFace).
constexpr std::int32_t SystemColorWord(TSystemColorIndex index) {
    return static_cast<std::int32_t>(0xFF000000u | index);
}

inline constexpr std::int32_t clBtnFace = SystemColorWord(scBtnFace);
inline constexpr std::int32_t clWindow = SystemColorWord(scWindow);
inline constexpr std::int32_t clWindowText = SystemColorWord(scWindowText);
inline constexpr std::int32_t clBtnText = SystemColorWord(scBtnText);
inline constexpr std::int32_t clHighlight = SystemColorWord(scHighlight);
inline constexpr std::int32_t clHighlightText = SystemColorWord(scHighlightText);

// The 24-bit colour word (red in the low byte) of a system colour index.
// Indices without an entry (25, above 30) give black.
std::int32_t SystemColorByIndex(std::uint8_t index);

}  // namespace tessel
