#include "dpi_scale.h"

#include <cstdint>

namespace zep {
namespace {

int Rounded(int64_t numerator, int64_t denominator) {
    const int64_t half = denominator / 2;
    return static_cast<int>(numerator >= 0 ? (numerator + half) / denominator : (numerator - half) / denominator);
}

int Known(int dpi) { return dpi > 0 ? dpi : kDesignDpi; }

}  // namespace

int ScaleToDpi(int value, int dpi) { return Rounded(int64_t{value} * Known(dpi), kDesignDpi); }

int UnscaleFromDpi(int value, int dpi) { return Rounded(int64_t{value} * kDesignDpi, Known(dpi)); }

int FontHeightForPoints(int points, int dpi) { return -Rounded(int64_t{points} * Known(dpi), 72); }

int PointsForFontHeight(int height, int dpi) {
    return Rounded(int64_t{height < 0 ? -int64_t{height} : int64_t{height}} * 72, Known(dpi));
}

int TrayIconSize(int wanted) {
    for (int size : kTrayIconSizes)
        if (size >= wanted) return size;
    return kTrayIconSizes[sizeof kTrayIconSizes / sizeof kTrayIconSizes[0] - 1];
}

}  // namespace zep
