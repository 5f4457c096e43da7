#pragma once
// The desktop's idea of how large things should be drawn, in percent of
// the 96-dpi layout: Xft.dpi from the X resource database (the value
// desktops set for their toolkits; 96 dpi is 100 %, 192 dpi 200 %), else
// the GDK_SCALE environment variable (a whole factor), else nothing.
//
// Only X11Window.cpp talks to the server; the reading of the resources is
// here, free of Xlib, so it is tested without a display.

#include <string_view>

namespace tessel {

inline constexpr int kLayoutDpi = 96;

// The percent the resource text (the RESOURCE_MANAGER property, "name:\tvalue"
// lines) and the GDK_SCALE value (null when unset) ask for; 0 when neither
// names a usable scale.
int DesktopScaleFrom(std::string_view resources, const char* gdkScale);

// The desktop's scale as the X server at $DISPLAY (opened briefly on a
// connection of its own) and the environment tell it; 0 when they do not
// (no server, no Xft.dpi, no GDK_SCALE). [any-thread that may wait]
int DesktopScalePercent();

}  // namespace tessel
