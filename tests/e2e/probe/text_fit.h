// text-fit: whether the text of a static text, button, check box, radio button or group box fits
// the room its control draws it in, at the resolution the control is shown at.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// What one control needs and has: `room` is the control's client area less what the control
// draws besides its text (a button's edge, a check box's box, a group's frame); `need` is the
// text as the control lays it out in its own font (wrapped at the room's width where it wraps).
struct TextFit {
  std::wstring kind;  // static, push, check, radio, group
  int dpi = 0;
  LONG fontHeight = 0;
  SIZE room = {}, need = {};
};

// The font a window's controls are drawn in, as this process can make it again: fonts live in
// the process that made them, so their description is taken from where the other program took
// it. `source`: "window" (the font's own description could be read), "template" (the dialog
// resource of the window's program whose controls are the window's), "given" (the caller's
// `face` at `height96`, the character height at 96 dpi, for programs that make their controls
// in code), "message" (a message box: the system's message font), empty when none applies.
struct ControlsFont {
  LOGFONTW font = {};
  std::wstring source;
};
ControlsFont FontOfControls(HWND top, const std::vector<int>& controlIds, const std::wstring& face, int height96);

// Lets this thread see other programs' windows in physical pixels, not scaled to 96 dpi.
void SeePhysicalPixels();

// False for controls that draw no text of theirs (edit boxes, pictures, owner-drawn buttons).
bool MeasureTextFit(HWND control, const std::wstring& text, const LOGFONTW& font, TextFit* fit);
