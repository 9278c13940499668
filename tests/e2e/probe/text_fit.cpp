#include "text_fit.h"

#include <algorithm>
#include <cwchar>

namespace {

int DpiOf(HWND h) {
  using ForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = reinterpret_cast<ForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (forWindow)
    if (UINT dpi = forWindow(h)) return (int)dpi;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// Pixels at 96 dpi as the control draws them at `dpi`.
int Px(int value, int dpi) { return MulDiv(value, dpi, 96); }

// A dialog template's string or ordinal field: the pointer after it.
const WORD* SkipField(const WORD* p) {
  if (*p == 0xFFFF) return p + 2;
  while (*p) p++;
  return p + 1;
}

const WORD* AlignDword(const WORD* p, const BYTE* base) {
  return (const WORD*)(base + (((const BYTE*)p - base + 3) & ~(size_t)3));
}

// An extended dialog template (DLGTEMPLATEEX): its font when it names one, and its controls' ids.
bool ParseTemplate(const BYTE* data, DWORD size, int dpi, LOGFONTW* font, std::vector<int>* ids) {
  const WORD* w = (const WORD*)data;
  if (size < 26 || w[0] != 1 || w[1] != 0xFFFF) return false;
  const DWORD style = *(const DWORD*)(data + 12);
  const WORD items = w[8];
  const WORD* p = SkipField(SkipField(SkipField(w + 13)));  // menu, class, title
  if (!(style & DS_SETFONT)) return false;
  const WORD points = p[0], weight = p[1];
  const BYTE italic = LOBYTE(p[2]), charset = HIBYTE(p[2]);
  const wchar_t* face = (const wchar_t*)(p + 3);
  *font = {};
  font->lfHeight = -MulDiv(points, dpi, 72);
  font->lfWeight = weight;
  font->lfItalic = italic;
  font->lfCharSet = charset;
  wcsncpy(font->lfFaceName, face, LF_FACESIZE - 1);
  p = SkipField(p + 3);
  ids->clear();
  for (WORD i = 0; i < items; i++) {
    p = AlignDword(p, data);
    if ((const BYTE*)p + 24 > data + size) return false;
    ids->push_back((int)*(const DWORD*)((const BYTE*)p + 20));
    p = SkipField(SkipField(p + 12));  // class, title
    p = (const WORD*)((const BYTE*)(p + 1) + *p);  // creation data
  }
  return true;
}

struct TemplateSearch {
  std::vector<int> want;
  int dpi;
  LOGFONTW font;
  bool found = false;
};

BOOL CALLBACK OneTemplate(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  auto* search = (TemplateSearch*)param;
  HRSRC res = FindResourceW(module, name, type);
  HGLOBAL loaded = res ? LoadResource(module, res) : nullptr;
  const BYTE* data = loaded ? (const BYTE*)LockResource(loaded) : nullptr;
  LOGFONTW font;
  std::vector<int> ids;
  if (!data || !ParseTemplate(data, SizeofResource(module, res), search->dpi, &font, &ids)) return TRUE;
  std::sort(ids.begin(), ids.end());
  if (ids != search->want) return TRUE;
  search->font = font;
  search->found = true;
  return FALSE;
}

// The path of the program that owns `window`.
std::wstring ProgramOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  wchar_t path[MAX_PATH * 2];
  DWORD n = MAX_PATH * 2;
  const bool ok = QueryFullProcessImageNameW(process, 0, path, &n);
  CloseHandle(process);
  return ok ? std::wstring(path, n) : std::wstring();
}

bool MessageFont(int dpi, LOGFONTW* font) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  static const auto forDpi = reinterpret_cast<ForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
  const BOOL ok = forDpi ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, (UINT)dpi)
                         : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  if (ok) *font = metrics.lfMessageFont;
  return ok;
}

SIZE Measure(HFONT font, const std::wstring& text, int width, UINT format) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r = {0, 0, std::max(width, 1), 0};
  DrawTextW(dc, text.c_str(), (int)text.size(), &r, format | DT_CALCRECT);
  SelectObject(dc, old);
  DeleteDC(dc);
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

void SeePhysicalPixels() {
  using SetContext = HANDLE(WINAPI*)(HANDLE);
  const auto set = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
  if (set) set((HANDLE)-4);  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  else SetProcessDPIAware();
}

ControlsFont FontOfControls(HWND top, const std::vector<int>& controlIds, const std::wstring& face, int height96) {
  ControlsFont result;
  const int dpi = DpiOf(top);
  for (int id : controlIds) {
    DWORD_PTR sent = 0;
    HWND control = GetDlgItem(top, id);
    if (control && SendMessageTimeoutW(control, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG, 2000, &sent) && sent &&
        GetObjectW((HGDIOBJ)sent, sizeof result.font, &result.font) == (int)sizeof result.font) {
      result.source = L"window";
      return result;
    }
  }
  const std::wstring program = ProgramOf(top);
  HMODULE module = program.empty() ? nullptr
                                   : LoadLibraryExW(program.c_str(), nullptr,
                                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module) {
    TemplateSearch search{controlIds, dpi, {}};
    std::sort(search.want.begin(), search.want.end());
    EnumResourceNamesW(module, RT_DIALOG, OneTemplate, (LONG_PTR)&search);
    FreeLibrary(module);
    if (search.found) {
      result.font = search.font;
      result.source = L"template";
      return result;
    }
  }
  if (!face.empty()) {
    result.font = {};
    result.font.lfHeight = MulDiv(height96, dpi, 96);
    result.font.lfWeight = FW_NORMAL;
    result.font.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(result.font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    result.source = L"given";
    return result;
  }
  wchar_t cls[16] = {};
  GetClassNameW(top, cls, 16);
  if (wcscmp(cls, L"#32770") == 0 && MessageFont(dpi, &result.font)) result.source = L"message";
  return result;
}

bool MeasureTextFit(HWND control, const std::wstring& text, const LOGFONTW& logFont, TextFit* fit) {
  wchar_t cls[64] = {};
  GetClassNameW(control, cls, 64);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  RECT client = {};
  GetClientRect(control, &client);
  fit->dpi = DpiOf(control);
  const int dpi = fit->dpi;
  SIZE room = {client.right, client.bottom};
  UINT format = DT_LEFT | DT_TOP | DT_EXPANDTABS;
  if (_wcsicmp(cls, L"Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    if (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return false;  // pictures, frames
    fit->kind = L"static";
    format |= (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) ? DT_SINGLELINE : DT_WORDBREAK;
    if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  } else if (_wcsicmp(cls, L"Button") == 0) {
    const LONG type = style & BS_TYPEMASK;
    if (style & (BS_ICON | BS_BITMAP)) return false;  // a picture instead of the text
    format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
      fit->kind = L"push";
      room.cx -= 2 * Px(3, dpi);  // the raised edge and the focus rectangle inside it
      room.cy -= 2 * Px(3, dpi);
    } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
               type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
      fit->kind = (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) ? L"radio" : L"check";
      room.cx -= Px(13, dpi) + Px(3, dpi);  // the box and the gap before the text
    } else if (type == BS_GROUPBOX) {
      fit->kind = L"group";
      room.cx -= 2 * Px(8, dpi);  // the frame's corners each side of the caption
      format = DT_LEFT | DT_TOP | DT_SINGLELINE;
    } else {
      return false;  // owner-drawn and other kinds draw what they like
    }
  } else {
    return false;
  }
  if (text.empty()) return false;
  HFONT font = CreateFontIndirectW(&logFont);
  if (!font) return false;
  fit->fontHeight = logFont.lfHeight;
  fit->room = room;
  fit->need = Measure(font, text, room.cx, format);
  if (fit->kind == L"group") fit->room.cy = fit->need.cy;  // the caption sits on the frame's top line
  DeleteObject(font);
  return true;
}
