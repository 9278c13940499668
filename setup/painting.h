// Pictures painted from drawing lines: an off-screen bitmap, filled black and painted once, that a
// window then copies to the screen (the background, the readme pages).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "system.h"

namespace setup {

// A bitmap compatible with the screen, filled black; none when it cannot be made.
HBITMAP MakeBlackPicture(int width, int height);

// Paints lines[first] ... (up to a "page" line) over the picture, scaled from 96 dpi to `dpi` (the
// resolution of the window that shows it); the painting area is the whole picture, files are
// looked for in `base` first.
void PaintPicture(HBITMAP picture, int dpi, const std::wstring& base, System& system,
                  const std::vector<std::wstring>& lines, size_t first = 0);

// Copies the part `part` of the picture to the same place of `dc` (a window's invalid part).
void CopyPicture(HDC dc, HBITMAP picture, const RECT& part);
// WM_ERASEBKGND and WM_PAINT of a window that shows `picture` (when there is one): true when the
// message was answered.
bool PaintFromPicture(HWND window, UINT message, HBITMAP picture);

}  // namespace setup
