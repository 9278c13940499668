// Lengths drawn for a screen of 96 dots per inch, shown on a screen of another resolution: the
// drawing lines of the background and the readme pages give their coordinates, font heights and
// bitmap sizes for 96 dpi, and are scaled to the window's resolution when they are read.
#pragma once

namespace setup {

constexpr int kDesignDpi = 96;

// `value` pixels at 96 dpi as pixels at `dpi`, rounded to the nearest pixel with halves away from
// zero (as MulDiv rounds); unchanged at 96 dpi and for a resolution that is not positive.
int ScaleToDpi(int value, int dpi);

}  // namespace setup
