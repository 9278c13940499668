// Pixels at the display's resolution. zep's windows are laid out for 96 dpi; at any other
// resolution every length is that value scaled, rounded here and nowhere else.
#pragma once

namespace zep {

constexpr int kDesignDpi = 96;

// A length laid out for 96 dpi, at `dpi`: rounded to the nearest pixel, halves away from zero
// (as the system's MulDiv), so that a negative font height scales as its size does. A resolution
// the system could not tell (0 or less) is taken as 96.
int ScaleToDpi(int value, int dpi);
// The reverse, for a length the system measured at `dpi`: its 96-dpi value, rounded likewise.
int UnscaleFromDpi(int value, int dpi);

// The character height (negative, as a font is asked for) of a font of `points` at `dpi`, and the
// points of such a height (either sign); the two round-trip for every size a font dialog offers.
int FontHeightForPoints(int points, int dpi);
int PointsForFontHeight(int height, int dpi);

// The notification area's icon sizes that zep's pictures are drawn at.
constexpr int kTrayIconSizes[] = {16, 20, 24, 32};
// The drawn size to load when the notification area asks for `wanted` pixels: that size when it
// is drawn, else the next larger (the system shrinks it a little), else the largest.
int TrayIconSize(int wanted);

}  // namespace zep
