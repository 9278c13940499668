// probe: finds and drives windows for the end-to-end tests.
//
// Runs under Wine with the same WINEPREFIX (and network namespace) as the program under test.
// Prints UTF-8 whatever the code page; every wait has a bound; exit 0 on success, else a
// message on stderr and a non-zero code (2 = bad usage, 3 = not found / timed out,
// 4 = an operation on a found window failed).
//
// Window arguments: class=NAME | title=TEXT | class=NAME,title=TEXT | hwnd=0x...
// Text in the output is escaped: \\ \n \r \t and \xHH for other control characters.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wincrypt.h>
#include <ole2.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "text_fit.h"

namespace {

enum Exit { kOk = 0, kUsage = 2, kNotFound = 3, kFailed = 4 };

const UINT kSendTimeoutMs = 2000;   // bound of every SendMessage to another process

// ---------------------------------------------------------------- output

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), s.data(), n, nullptr, nullptr);
  return s;
}

void Write(FILE* f, const std::wstring& line) {
  std::string s = Utf8(line);
  s += '\n';
  fwrite(s.data(), 1, s.size(), f);
  fflush(f);
}

void Out(const std::wstring& line) { Write(stdout, line); }

// Why a command stops: its exit code and the message for stderr. Thrown where the fault is
// found; wmain prints it and exits with the code.
struct Failure {
  int code;
  std::wstring message;
};

[[noreturn]] void Fail(int code, const std::wstring& msg) { throw Failure{code, msg}; }

std::wstring Hex(unsigned long long v) {
  wchar_t b[32];
  swprintf(b, 32, L"0x%llx", v);
  return b;
}

std::wstring Num(long long v) { return std::to_wstring(v); }

// Escapes backslashes and control characters; with `spaces` also blanks, for values that
// sit in the middle of a line.
std::wstring Esc(const std::wstring& s, bool spaces = false) {
  std::wstring r;
  for (wchar_t c : s) {
    if (c == L'\\') r += L"\\\\";
    else if (c == L'\n') r += L"\\n";
    else if (c == L'\r') r += L"\\r";
    else if (c == L'\t') r += L"\\t";
    else if (c < 0x20 || c == 0x7f || (spaces && c == L' ')) {
      wchar_t b[8];
      swprintf(b, 8, L"\\x%02x", (unsigned)c);
      r += b;
    } else r += c;
  }
  return r;
}

// ---------------------------------------------------------------- arguments

bool ParseNumber(const std::wstring& s, long long* v) {
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  const wchar_t* p = s.c_str();
  bool neg = *p == L'-';
  if (neg) p++;
  unsigned long long u;
  if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) u = wcstoull(p + 2, &end, 16);
  else u = wcstoull(p, &end, 10);
  if (end == p || *end) return false;
  *v = neg ? -(long long)u : (long long)u;
  return true;
}

// Message numbers: decimal, 0x hex, or a few names ("WM_APP+3").
bool ParseMessage(const std::wstring& s, UINT* msg) {
  static const struct { const wchar_t* name; UINT value; } names[] = {
      {L"WM_CLOSE", WM_CLOSE},     {L"WM_COMMAND", WM_COMMAND}, {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
      {L"WM_TIMER", WM_TIMER},     {L"WM_QUIT", WM_QUIT},       {L"WM_USER", WM_USER},
      {L"WM_APP", WM_APP},         {L"WM_NULL", WM_NULL},       {L"WM_ENDSESSION", WM_ENDSESSION},
      {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION}};
  std::wstring base = s;
  long long offset = 0;
  size_t plus = s.find(L'+');
  if (plus != std::wstring::npos) {
    base = s.substr(0, plus);
    if (!ParseNumber(s.substr(plus + 1), &offset)) return false;
  }
  for (auto& n : names)
    if (_wcsicmp(base.c_str(), n.name) == 0) {
      *msg = n.value + (UINT)offset;
      return true;
    }
  long long v;
  if (plus != std::wstring::npos || !ParseNumber(s, &v)) return false;
  *msg = (UINT)v;
  return true;
}

struct Args {
  std::wstring usage;  // the command's own usage line
  std::vector<std::wstring> pos;
  long long ms = -1;
  bool visible = false, tray = false;
  std::wstring title;
  bool has_title = false;

  long long MsOr(long long def) const { return ms >= 0 ? ms : def; }
  [[noreturn]] void BadUsage() const { Fail(kUsage, usage); }
  // The number at `at`; a usage error where there is none.
  long long Number(size_t at) const {
    long long v;
    if (pos.size() <= at || !ParseNumber(pos[at], &v)) BadUsage();
    return v;
  }
};

bool SplitArgs(int argc, wchar_t** argv, Args* a) {
  for (int i = 2; i < argc; i++) {
    std::wstring s = argv[i];
    if (s == L"--ms" && i + 1 < argc) {
      if (!ParseNumber(argv[++i], &a->ms) || a->ms < 0) return false;
    } else if (s == L"--visible") {
      a->visible = true;
    } else if (s == L"--tray") {
      a->tray = true;
    } else if (s == L"--title" && i + 1 < argc) {
      a->title = argv[++i];
      a->has_title = true;
    } else {
      a->pos.push_back(s);
    }
  }
  return true;
}

// ---------------------------------------------------------------- windows

struct WindowQuery {
  bool by_hwnd = false;
  HWND hwnd = nullptr;
  bool has_class = false, has_title = false;
  std::wstring cls, title;
};

bool ParseQuery(const std::wstring& s, WindowQuery* query) {
  if (s.rfind(L"hwnd=", 0) == 0) {
    long long v;
    if (!ParseNumber(s.substr(5), &v)) return false;
    query->by_hwnd = true;
    query->hwnd = (HWND)(INT_PTR)v;
    return true;
  }
  if (s.rfind(L"class=", 0) == 0) {
    std::wstring rest = s.substr(6);
    size_t t = rest.find(L",title=");
    query->has_class = true;
    if (t == std::wstring::npos) {
      query->cls = rest;
    } else {
      query->cls = rest.substr(0, t);
      query->has_title = true;
      query->title = rest.substr(t + 7);
    }
    return !query->cls.empty();
  }
  if (s.rfind(L"title=", 0) == 0) {
    query->has_title = true;
    query->title = s.substr(6);
    return true;
  }
  return false;
}

std::wstring ClassOf(HWND h) {
  wchar_t b[256] = {};
  GetClassNameW(h, b, 256);
  return b;
}

std::wstring TitleOf(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring s(n + 1, L'\0');
  n = GetWindowTextW(h, s.data(), n + 1);
  s.resize(n > 0 ? n : 0);
  return s;
}

unsigned long long X11Of(HWND h) {
  return (unsigned long long)(UINT_PTR)GetPropW(h, L"__wine_x11_whole_window");
}

std::wstring RectText(const RECT& r) {
  return Num(r.left) + L"," + Num(r.top) + L"," + Num(r.right) + L"," + Num(r.bottom);
}

// hwnd=0x.. class=.. title=.. visible=0|1 pid=N x11=0x.. rect=l,t,r,b client=l,t,r,b enabled=0|1 topmost=0|1
// (rectangles in screen coordinates; client is the client area)
std::wstring WindowLine(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  RECT r = {}, c = {};
  GetWindowRect(h, &r);
  GetClientRect(h, &c);
  MapWindowPoints(h, nullptr, (POINT*)&c, 2);
  return L"hwnd=" + Hex((UINT_PTR)h) + L" class=" + Esc(ClassOf(h), true) + L" title=" + Esc(TitleOf(h)) +
         L" visible=" + Num(IsWindowVisible(h) ? 1 : 0) + L" pid=" + Num(pid) + L" x11=" + Hex(X11Of(h)) +
         L" rect=" + RectText(r) + L" client=" + RectText(c) + L" enabled=" + Num(IsWindowEnabled(h) ? 1 : 0) +
         L" topmost=" + Num((GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
}

BOOL CALLBACK Collect(HWND h, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

std::vector<HWND> TopWindows() {
  std::vector<HWND> v;
  EnumWindows(Collect, (LPARAM)&v);
  return v;
}

bool Matches(HWND h, const WindowQuery& s) {
  if (s.by_hwnd) return h == s.hwnd;
  if (s.has_class && _wcsicmp(ClassOf(h).c_str(), s.cls.c_str()) != 0) return false;
  if (s.has_title && TitleOf(h) != s.title) return false;
  return true;
}

// First top-level match, a visible one if there is any (or only visible ones).
HWND FindTop(const WindowQuery& s, bool only_visible) {
  if (s.by_hwnd) {
    if (!IsWindow(s.hwnd)) return nullptr;
    if (only_visible && !IsWindowVisible(s.hwnd)) return nullptr;
    return s.hwnd;
  }
  HWND hidden = nullptr;
  for (HWND h : TopWindows()) {
    if (!Matches(h, s)) continue;
    if (IsWindowVisible(h)) return h;
    if (!hidden) hidden = h;
  }
  return only_visible ? nullptr : hidden;
}

HWND WaitTop(const WindowQuery& s, bool only_visible, long long timeout_ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND h = FindTop(s, only_visible)) return h;
    if ((long long)(GetTickCount() - start) >= timeout_ms) return nullptr;
    Sleep(50);
  }
}

// SendMessage with a bound; false if the window did not answer in time.
bool Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result, UINT timeout = kSendTimeoutMs) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_NORMAL, timeout, &r)) return false;
  if (result) *result = (LRESULT)r;
  return true;
}

bool ControlText(HWND h, std::wstring* text) {
  LRESULT n = 0;
  if (!Send(h, WM_GETTEXTLENGTH, 0, 0, &n)) return false;
  std::wstring s(n + 1, L'\0');
  LRESULT got = 0;
  if (!Send(h, WM_GETTEXT, n + 1, (LPARAM)s.data(), &got)) return false;
  s.resize(got > 0 && got <= n ? got : wcslen(s.c_str()));
  *text = s;
  return true;
}

// A buffer in another process, for messages whose structures Windows does not marshal
// (TCM_GETITEM).
class RemoteBuffer {
 public:
  RemoteBuffer(HWND h, SIZE_T size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    proc_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (proc_) mem_ = VirtualAllocEx(proc_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (mem_) VirtualFreeEx(proc_, mem_, 0, MEM_RELEASE);
    if (proc_) CloseHandle(proc_);
  }
  bool ok() const { return mem_ != nullptr; }
  char* at(SIZE_T off) const { return (char*)mem_ + off; }
  bool Write(SIZE_T off, const void* p, SIZE_T n) {
    return off + n <= size_ && WriteProcessMemory(proc_, at(off), p, n, nullptr);
  }
  bool Read(SIZE_T off, void* p, SIZE_T n) {
    return off + n <= size_ && ReadProcessMemory(proc_, at(off), p, n, nullptr);
  }

 private:
  HANDLE proc_ = nullptr;
  void* mem_ = nullptr;
  SIZE_T size_;
};

bool TabItemText(HWND tab, int i, std::wstring* text) {
  const int kChars = 512;
  RemoteBuffer rb(tab, sizeof(TCITEMW) + kChars * sizeof(wchar_t));
  if (!rb.ok()) return false;
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  item.pszText = (LPWSTR)rb.at(sizeof(TCITEMW));
  item.cchTextMax = kChars;
  wchar_t zero = 0;
  if (!rb.Write(0, &item, sizeof item) || !rb.Write(sizeof(TCITEMW), &zero, sizeof zero)) return false;
  LRESULT ok = 0;
  if (!Send(tab, TCM_GETITEMW, i, (LPARAM)rb.at(0), &ok) || !ok) return false;
  // The control may point pszText at its own copy instead of filling ours.
  TCITEMW back = {};
  if (!rb.Read(0, &back, sizeof back)) return false;
  std::vector<wchar_t> buf(kChars, 0);
  if (back.pszText == item.pszText) {
    if (!rb.Read(sizeof(TCITEMW), buf.data(), (kChars - 1) * sizeof(wchar_t))) return false;
  } else {
    DWORD pid = 0;
    GetWindowThreadProcessId(tab, &pid);
    HANDLE p = OpenProcess(PROCESS_VM_READ, FALSE, pid);
    if (!p) return false;
    SIZE_T got = 0;
    ReadProcessMemory(p, back.pszText, buf.data(), (kChars - 1) * sizeof(wchar_t), &got);
    CloseHandle(p);
  }
  *text = buf.data();
  return true;
}

bool IsCheckable(HWND h) {
  if (_wcsicmp(ClassOf(h).c_str(), WC_BUTTONW) != 0) return false;
  switch (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON:
    case BS_3STATE: case BS_AUTO3STATE: case BS_AUTORADIOBUTTON:
      return true;
  }
  return false;
}

void PrintItem(const wchar_t* kind, int i, bool selected, const std::wstring& text) {
  Out(std::wstring(L"  ") + kind + L"=" + Num(i) + L" selected=" + Num(selected ? 1 : 0) + L" text=" + Esc(text));
}

bool PrintControl(HWND c) {
  std::wstring cls = ClassOf(c), text;
  if (!ControlText(c, &text)) return false;
  std::wstring checked = L"-";
  if (IsCheckable(c)) {
    LRESULT v = 0;
    if (!Send(c, BM_GETCHECK, 0, 0, &v)) return false;
    checked = Num(v);
  }
  RECT r = {};
  GetWindowRect(c, &r);
  std::wstring line = L"hwnd=" + Hex((UINT_PTR)c) + L" parent=" + Hex((UINT_PTR)GetParent(c)) +
                      L" id=" + Num(GetDlgCtrlID(c)) + L" class=" + Esc(cls, true) +
                      L" enabled=" + Num(IsWindowEnabled(c) ? 1 : 0) + L" visible=" + Num(IsWindowVisible(c) ? 1 : 0) +
                      L" checked=" + checked + L" rect=" + RectText(r);

  std::vector<std::pair<bool, std::wstring>> items;
  const wchar_t* kind = nullptr;
  LRESULT count = 0, cur = -1;
  const bool list = _wcsicmp(cls.c_str(), WC_LISTBOXW) == 0 || _wcsicmp(cls.c_str(), L"ComboLBox") == 0;
  if (list || _wcsicmp(cls.c_str(), WC_COMBOBOXW) == 0) {
    // A list box and a combo box answer the same questions under other message numbers.
    const UINT getCount = list ? LB_GETCOUNT : CB_GETCOUNT, getCur = list ? LB_GETCURSEL : CB_GETCURSEL,
               getLength = list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, getText = list ? LB_GETTEXT : CB_GETLBTEXT;
    kind = L"item";
    if (!Send(c, getCount, 0, 0, &count) || !Send(c, getCur, 0, 0, &cur)) return false;
    for (int i = 0; i < count; i++) {
      LRESULT n = 0, sel = 0;
      if (!Send(c, getLength, i, 0, &n) || n < 0) return false;
      std::wstring s(n + 1, L'\0');
      if (!Send(c, getText, i, (LPARAM)s.data(), nullptr)) return false;
      s.resize(wcslen(s.c_str()));
      if (list) Send(c, LB_GETSEL, i, 0, &sel);  // several may be selected
      items.push_back({sel > 0 || i == cur, s});
    }
  } else if (_wcsicmp(cls.c_str(), WC_TABCONTROLW) == 0) {
    kind = L"tab";
    if (!Send(c, TCM_GETITEMCOUNT, 0, 0, &count) || !Send(c, TCM_GETCURSEL, 0, 0, &cur)) return false;
    for (int i = 0; i < count; i++) {
      std::wstring s;
      if (!TabItemText(c, i, &s)) s = L"?";
      items.push_back({i == cur, s});
    }
  } else if (_wcsicmp(cls.c_str(), UPDOWN_CLASSW) == 0) {
    // No error flag: its pointer would be one of this process, and the control, in the other
    // process, would write the flag at that address there (into whatever lies at it).
    LRESULT pos = 0;
    if (!Send(c, UDM_GETPOS32, 0, 0, &pos)) return false;
    line += L" pos=" + Num((int)pos);
  }
  if (kind) line += L" count=" + Num(count) + L" cur=" + Num(cur);
  Out(line + L" text=" + Esc(text));
  for (size_t i = 0; i < items.size(); i++) PrintItem(kind, (int)i, items[i].first, items[i].second);
  return true;
}

std::vector<HWND> Children(HWND top) {
  std::vector<HWND> v;
  EnumChildWindows(top, Collect, (LPARAM)&v);
  return v;
}

// "&Open" -> "Open"; Japanese captions carry the key in brackets: "接続(&C)" -> "接続".
std::wstring WithoutAccelKey(const std::wstring& s) {
  size_t n = s.size();
  if (n >= 4 && s[n - 4] == L'(' && s[n - 3] == L'&' && s[n - 1] == L')') return s.substr(0, n - 4);
  return s;
}

std::wstring StripAccel(const std::wstring& s) {
  std::wstring r;
  for (size_t i = 0; i < s.size(); i++) {
    if (s[i] == L'&') {
      if (i + 1 < s.size() && s[i + 1] == L'&') r += L'&', i++;
      continue;
    }
    r += s[i];
  }
  return r;
}

// ---------------------------------------------------------------- commands

// The top-level window the command's first argument names, waited for up to `wait_ms`.
HWND NeedTop(const Args& a, long long wait_ms) {
  WindowQuery query;
  if (a.pos.empty() || !ParseQuery(a.pos[0], &query))
    Fail(kUsage, L"expected a window: class=NAME | title=TEXT | class=NAME,title=TEXT | hwnd=0x...");
  HWND h = WaitTop(query, a.visible, wait_ms);
  if (!h) Fail(kNotFound, L"no " + std::wstring(a.visible ? L"visible " : L"") + L"top-level window " + a.pos[0] +
                              L" within " + Num(wait_ms) + L" ms");
  return h;
}

// For the commands "WINDOW CONTROL_ID ARGUMENT...": the window, and its control (or a control of
// its descendants) with that dialog id.
struct WindowControl {
  HWND top, control;
};
WindowControl NeedWindowControl(const Args& a) {
  if (a.pos.size() < 3) a.BadUsage();
  const long long id = a.Number(1);
  HWND top = NeedTop(a, 5000);
  for (HWND c : Children(top))
    if (GetDlgCtrlID(c) == id) return {top, c};
  Fail(kNotFound, L"no control with id " + Num(id));
}

long long TimeoutArg(const Args& a, size_t at, long long def) {
  long long v = def;
  if (a.pos.size() > at) ParseNumber(a.pos[at], &v);
  return a.MsOr(v);
}

void CmdFind(const Args& a) {
  HWND h = NeedTop(a, TimeoutArg(a, 1, 5000));
  Out(WindowLine(h));
}

void CmdGone(const Args& a) {
  WindowQuery query;
  if (a.pos.empty() || !ParseQuery(a.pos[0], &query)) a.BadUsage();
  long long timeout = TimeoutArg(a, 1, 5000);
  DWORD start = GetTickCount();
  while (HWND h = FindTop(query, a.visible)) {
    if ((long long)(GetTickCount() - start) >= timeout)
      Fail(kNotFound, L"still there after " + Num(timeout) + L" ms: " + WindowLine(h));
    Sleep(50);
  }
}

void CmdWindows(const Args&) {
  for (HWND h : TopWindows()) Out(WindowLine(h));
}

void CmdControls(const Args& a) {
  HWND top = NeedTop(a, TimeoutArg(a, 1, 5000));
  for (HWND c : Children(top))
    if (!PrintControl(c)) Fail(kFailed, L"control " + Hex((UINT_PTR)c) + L" did not answer");
}

// owner WINDOW: "owner=0x.. appwindow=0|1 foreground=0|1" (whether it has a task-bar button of
// its own, and whether it is the active window of the desktop).
void CmdOwner(const Args& a) {
  HWND top = NeedTop(a, TimeoutArg(a, 1, 5000));
  Out(L"owner=" + Hex((UINT_PTR)GetWindow(top, GW_OWNER)) + L" appwindow=" +
      Num((GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_APPWINDOW) ? 1 : 0) + L" foreground=" +
      Num(GetForegroundWindow() == top ? 1 : 0));
}

// text-fit WINDOW [FACE HEIGHT]: each control's text against the room it has (see text_fit.h), in
// physical pixels. FACE and HEIGHT (the character height at 96 dpi, negative as a LOGFONT's) name
// the controls' font where neither the controls nor their program's dialog templates tell it:
// Wine answers WM_GETFONT from another process with nothing.
void CmdTextFit(const Args& a) {
  if (a.pos.size() == 2) a.BadUsage();
  const long long height96 = a.pos.size() > 2 ? a.Number(2) : 0;
  SeePhysicalPixels();
  HWND top = NeedTop(a, a.MsOr(5000));
  std::vector<int> ids;
  for (HWND c : Children(top))
    if (GetParent(c) == top) ids.push_back(GetDlgCtrlID(c));
  const ControlsFont font = FontOfControls(top, ids, a.pos.size() > 2 ? a.pos[1] : L"", (int)height96);
  if (font.source.empty()) Fail(kFailed, L"the font of the window's controls is unknown");
  for (HWND c : Children(top)) {
    std::wstring text;
    TextFit fit;
    if (!IsWindowVisible(c) || !ControlText(c, &text) || !MeasureTextFit(c, text, font.font, &fit)) continue;
    Out(L"hwnd=" + Hex((UINT_PTR)c) + L" id=" + Num(GetDlgCtrlID(c)) + L" kind=" + fit.kind + L" dpi=" +
        Num(fit.dpi) + L" font=" + Num(fit.fontHeight) + L"/" + font.source + L" room=" +
        Num(fit.room.cx) + L"," + Num(fit.room.cy) + L" need=" + Num(fit.need.cx) + L"," + Num(fit.need.cy) +
        L" text=" + Esc(text));
  }
}

void CmdClick(const Args& a) {
  if (a.pos.size() < 2) a.BadUsage();
  HWND top = NeedTop(a, a.MsOr(5000));
  const std::wstring& want = a.pos[1];
  HWND button = nullptr, other = nullptr;
  std::wstring seen;
  for (HWND c : Children(top)) {
    std::wstring t;
    if (!ControlText(c, &t)) continue;
    bool is_button = _wcsicmp(ClassOf(c).c_str(), WC_BUTTONW) == 0;
    if (is_button) seen += L" [" + Esc(t) + L"]";
    if (t != want && StripAccel(t) != want && WithoutAccelKey(t) != want) continue;
    if (is_button && !button) button = c;
    if (!is_button && !other) other = c;
  }
  HWND target = button ? button : other;
  if (!target) Fail(kNotFound, L"no button \"" + want + L"\"; buttons:" + seen);
  if (!IsWindowVisible(target)) Fail(kFailed, L"\"" + want + L"\" is hidden");
  if (!IsWindowEnabled(target)) Fail(kFailed, L"\"" + want + L"\" is disabled");
  // The handler may open a modal window and only return when it closes: stop waiting after
  // a while; the click goes on in the target.
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(target, BM_CLICK, 0, 0, SMTO_NORMAL, 1000, &r)) {
    if (GetLastError() != ERROR_TIMEOUT && GetLastError() != 0)
      Fail(kFailed, L"BM_CLICK failed, error " + Num(GetLastError()));
    Out(L"clicked hwnd=" + Hex((UINT_PTR)target) + L" busy=1");
    return;
  }
  Out(L"clicked hwnd=" + Hex((UINT_PTR)target) + L" busy=0");
}

// "WINDOW MSG WPARAM LPARAM": the message, and the window waited for up to `wait_ms`.
struct Message {
  HWND window;
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};
Message NeedMessage(const Args& a, long long wait_ms) {
  UINT msg;
  if (a.pos.size() < 4 || !ParseMessage(a.pos[1], &msg)) a.BadUsage();
  const long long wp = a.Number(2), lp = a.Number(3);
  return {NeedTop(a, wait_ms), msg, (WPARAM)wp, (LPARAM)lp};
}

void CmdPost(const Args& a) {
  const Message m = NeedMessage(a, a.MsOr(5000));
  if (!PostMessageW(m.window, m.msg, m.wp, m.lp)) Fail(kFailed, L"PostMessageW failed, error " + Num(GetLastError()));
}

// --ms bounds the wait for the answer, not for the window.
void CmdSend(const Args& a) {
  const Message m = NeedMessage(a, 5000);
  LRESULT r = 0;
  if (!Send(m.window, m.msg, m.wp, m.lp, &r, (UINT)a.MsOr(kSendTimeoutMs)))
    Fail(kFailed, L"no answer to message " + Hex(m.msg));
  Out(L"result=" + Num(r));
}

void CmdSetText(const Args& a) {
  HWND target = NeedWindowControl(a).control;
  if (!Send(target, WM_SETTEXT, 0, (LPARAM)a.pos[2].c_str(), nullptr)) Fail(kFailed, L"WM_SETTEXT not answered");
}

// Key names for `keys`: a few named keys, or one letter or digit.
UINT VirtualKey(const std::wstring& name) {
  static const struct { const wchar_t* name; UINT vk; } keys[] = {
      {L"Up", VK_UP},         {L"Down", VK_DOWN},     {L"Left", VK_LEFT},   {L"Right", VK_RIGHT},
      {L"Return", VK_RETURN}, {L"Enter", VK_RETURN},  {L"Escape", VK_ESCAPE}, {L"Esc", VK_ESCAPE},
      {L"Home", VK_HOME},     {L"End", VK_END},       {L"Space", VK_SPACE}, {L"Tab", VK_TAB},
      {L"F10", VK_F10},       {L"Delete", VK_DELETE}, {L"BackSpace", VK_BACK}};
  for (auto& k : keys)
    if (_wcsicmp(name.c_str(), k.name) == 0) return k.vk;
  if (name.size() == 1 && iswalnum(name[0]) && name[0] < 0x80) return towupper(name[0]);
  return 0;
}

// Posts key presses to a window's thread: a popup menu's loop reads them from its queue
// whichever window has the X focus (a tray program's menu belongs to a hidden window).
void CmdKeys(const Args& a) {
  if (a.pos.size() < 2) a.BadUsage();
  std::vector<UINT> vks;
  for (size_t i = 1; i < a.pos.size(); i++) {
    UINT vk = VirtualKey(a.pos[i]);
    if (!vk) Fail(kUsage, L"unknown key " + a.pos[i]);
    vks.push_back(vk);
  }
  HWND h = NeedTop(a, a.MsOr(5000));
  for (size_t i = 0; i < vks.size(); i++) {
    if (!IsWindow(h)) Fail(kFailed, L"the window closed before the key " + a.pos[i + 1]);
    LPARAM scan = (LPARAM)MapVirtualKeyW(vks[i], MAPVK_VK_TO_VSC) << 16;
    if (!PostMessageW(h, WM_KEYDOWN, vks[i], 1 | scan))
      Fail(kFailed, L"PostMessageW failed, error " + Num(GetLastError()));
    // A key that closes the window (Escape, Return in a menu) may have done so before its
    // release is posted.
    if (!PostMessageW(h, WM_KEYUP, vks[i], 1 | scan | (3LL << 30)) && IsWindow(h))
      Fail(kFailed, L"PostMessageW failed, error " + Num(GetLastError()));
    Sleep(50);
  }
}

std::wstring MenuFlags(const MENUITEMINFOW& mi) {
  std::wstring f;
  auto add = [&](const wchar_t* s) { if (!f.empty()) f += L','; f += s; };
  if (mi.fType & MFT_SEPARATOR) add(L"separator");
  if (mi.fType & MFT_RADIOCHECK) add(L"radio");
  if (mi.fState & MFS_CHECKED) add(L"checked");
  if (mi.fState & MFS_DISABLED) add(L"disabled");
  if (mi.fState & MFS_DEFAULT) add(L"default");
  if (mi.hSubMenu) add(L"popup");
  return f.empty() ? L"-" : f;
}

void CmdMenu(const Args& a) {
  WindowQuery query;
  query.has_class = true;
  query.cls = L"#32768";
  long long timeout = TimeoutArg(a, 0, 5000);
  HWND h = WaitTop(query, true, timeout);
  if (!h) Fail(kNotFound, L"no open popup menu within " + Num(timeout) + L" ms");
  Out(WindowLine(h));
  LRESULT m = 0;
  if (!Send(h, MN_GETHMENU, 0, 0, &m) || !m) Fail(kFailed, L"the menu window gave no HMENU (MN_GETHMENU)");
  HMENU menu = (HMENU)m;
  int n = GetMenuItemCount(menu);
  if (n < 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    Fail(kFailed, L"cannot read menu " + Hex((UINT_PTR)m) + L" of process " + Num(pid) +
                      L": Wine keeps menu items inside the owning process (GetMenuItemCount failed, error " +
                      Num(GetLastError()) + L")");
  }
  for (int i = 0; i < n; i++) {
    wchar_t text[512] = {};
    MENUITEMINFOW mi = {sizeof mi};
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
    mi.dwTypeData = text;
    mi.cch = 511;
    if (!GetMenuItemInfoW(menu, i, TRUE, &mi)) Fail(kFailed, L"GetMenuItemInfoW failed at " + Num(i));
    Out(L"  item=" + Num(i) + L" id=" + Num((int)mi.wID) + L" flags=" + MenuFlags(mi) + L" text=" + Esc(text));
  }
}

// ---------------------------------------------------------------- windows of our own

struct IconEntry {
  std::wstring name;
  HICON big = nullptr, small = nullptr;
};

struct OwnWindow {
  std::vector<IconEntry> icons;
  std::wstring heading;
  HFONT font = nullptr;
};
OwnWindow g_own;

HFONT JapaneseFont(int height) {
  return CreateFontW(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, L"ＭＳ Ｐゴシック");
}

const int kCell = 96, kTop = 30;

// What our windows do with the messages they leave: the default, and the end of Pump when one of
// them is destroyed.
LRESULT CALLBACK QuitOnDestroyProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK IconsProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      HGDIOBJ old = SelectObject(dc, g_own.font);
      SetBkMode(dc, TRANSPARENT);
      RECT head = {8, 6, 2000, kTop};
      DrawTextW(dc, g_own.heading.c_str(), -1, &head, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
      for (size_t i = 0; i < g_own.icons.size(); i++) {
        int x = 8 + (int)i * kCell;
        DrawIconEx(dc, x + 12, kTop, g_own.icons[i].big, 32, 32, 0, nullptr, DI_NORMAL);
        DrawIconEx(dc, x + 56, kTop + 8, g_own.icons[i].small, 16, 16, 0, nullptr, DI_NORMAL);
        RECT r = {x, kTop + 38, x + kCell - 4, kTop + 58};
        DrawTextW(dc, g_own.icons[i].name.c_str(), -1, &r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
      }
      SelectObject(dc, old);
      EndPaint(h, &ps);
      return 0;
    }
  }
  return QuitOnDestroyProc(h, msg, wp, lp);
}

// Pumps messages until the window closes or `ms` pass.
void Pump(long long ms) {
  DWORD start = GetTickCount();
  for (;;) {
    long long left = ms - (long long)(GetTickCount() - start);
    if (left <= 0) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, (DWORD)left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) return;
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
}

// A top-level window of this process, of the class `cls` (registered on first use), not yet shown.
HWND MakeWindow(const wchar_t* cls, WNDPROC proc, HBRUSH background, const std::wstring& title, int x, int y, int width,
                int height) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = cls;
  RegisterClassW(&wc);
  HWND h = CreateWindowExW(0, cls, title.c_str(), WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr, nullptr,
                           wc.hInstance, nullptr);
  if (!h) Fail(kFailed, L"CreateWindowExW failed");
  return h;
}

// Shows one of our windows, prints its window line once Wine has mapped and painted it, and runs
// its messages for `ms` or until it closes.
void ShowAndRun(HWND h, int show, long long ms) {
  ShowWindow(h, show);
  UpdateWindow(h);
  Pump(100);
  Out(WindowLine(h));
  if (IsWindow(h)) Pump(ms);  // a window closed at once has ended the loop already (its WM_QUIT is taken)
}

LPCWSTR ResourceName(const std::wstring& name, std::wstring* keep) {
  std::wstring s = name[0] == L'#' ? name.substr(1) : name;
  long long id;
  if (ParseNumber(s, &id) && id > 0 && id < 0x10000) return MAKEINTRESOURCEW((WORD)id);
  *keep = name;
  return keep->c_str();
}

void CmdShowIcons(const Args& a) {
  if (a.pos.size() < 2) a.BadUsage();
  HMODULE mod = LoadLibraryExW(a.pos[0].c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!mod) Fail(kFailed, L"cannot load " + a.pos[0] + L", error " + Num(GetLastError()));
  for (size_t i = 1; i < a.pos.size(); i++) {
    IconEntry e;
    e.name = a.pos[i];
    std::wstring keep;
    LPCWSTR res = ResourceName(e.name, &keep);
    e.big = (HICON)LoadImageW(mod, res, IMAGE_ICON, 32, 32, 0);
    e.small = (HICON)LoadImageW(mod, res, IMAGE_ICON, 16, 16, 0);
    if (!e.big || !e.small) Fail(kNotFound, L"no icon " + e.name + L" in " + a.pos[0]);
    g_own.icons.push_back(e);
  }
  std::wstring title = a.has_title ? a.title : L"probe icons";
  g_own.heading = title;
  g_own.font = JapaneseFont(14);
  RECT r = {0, 0, std::max(16 + (int)g_own.icons.size() * kCell, 240), kTop + 64};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  HWND h = MakeWindow(L"ProbeIcons", IconsProc, CreateSolidBrush(RGB(224, 224, 224)), title, 40, 80, r.right - r.left,
                      r.bottom - r.top);
  ShowAndRun(h, SW_SHOWNORMAL, a.MsOr(5000));
  if (IsWindow(h)) DestroyWindow(h);
}

// A small window with the kinds of controls the tests meet, so the harness can test the probe
// itself; with --tray also a tray icon of a hidden window whose right click opens the menu. Prints what happens to
// it ("COMMAND id code", "MENU id", "TRAY left|right|double") on stdout.
enum {
  kDemoMenuButton = 101, kDemoCheck = 102, kDemoDisabled = 103, kDemoList = 104, kDemoTab = 105,
  kDemoCombo = 106, kDemoModal = 107, kDemoEdit = 108, kDemoNarrow = 109,
  kDemoOpenMenu = WM_APP + 1, kDemoTray = WM_APP + 2
};

void DemoMenu(HWND h, bool at_cursor) {
  HMENU m = CreatePopupMenu();
  AppendMenuW(m, MF_STRING | MF_CHECKED, 201, L"接続(&C)");
  AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(m, MF_STRING | MF_GRAYED, 202, L"切断(&D)");
  AppendMenuW(m, MF_STRING, 203, L"終了(&X)");
  MENUITEMINFOW mi = {sizeof mi};
  mi.fMask = MIIM_FTYPE | MIIM_STATE;
  mi.fType = MFT_STRING | MFT_RADIOCHECK;
  mi.fState = MFS_CHECKED;
  SetMenuItemInfoW(m, 203, FALSE, &mi);
  POINT p = {60, 60};
  if (at_cursor) GetCursorPos(&p);
  else ClientToScreen(h, &p);
  SetForegroundWindow(h);
  int id = TrackPopupMenu(m, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, h, nullptr);
  Out(L"MENU " + Num(id));
  DestroyMenu(m);
}

LRESULT CALLBACK DemoProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      Out(L"COMMAND " + Num(LOWORD(wp)) + L" " + Num(HIWORD(wp)));
      if (LOWORD(wp) == kDemoMenuButton) PostMessageW(h, kDemoOpenMenu, 0, 0);
      if (LOWORD(wp) == kDemoModal) MessageBoxW(h, L"モーダルです", L"probe modal", MB_OK);
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) DestroyWindow(h);
      return 0;
    case kDemoOpenMenu:
      DemoMenu(h, false);
      return 0;
    case kDemoTray:
      if (lp == WM_LBUTTONUP) Out(L"TRAY left");
      if (lp == WM_LBUTTONDBLCLK) Out(L"TRAY double");
      if (lp == WM_RBUTTONUP) {
        Out(L"TRAY right");
        DemoMenu(h, true);
      }
      return 0;
  }
  return QuitOnDestroyProc(h, msg, wp, lp);
}

void CmdDemo(const Args& a) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  HINSTANCE inst = GetModuleHandleW(nullptr);
  std::wstring title = a.has_title ? a.title : L"probe demo";
  HWND h = MakeWindow(L"ProbeDemo", DemoProc, (HBRUSH)(COLOR_BTNFACE + 1), title, 200, 120, 360, 260);
  g_own.font = JapaneseFont(12);
  auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int ht, int id) {
    HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, ht, h, (HMENU)(INT_PTR)id, inst, nullptr);
    SendMessageW(c, WM_SETFONT, (WPARAM)g_own.font, TRUE);
    return c;
  };
  HWND tab = child(WC_TABCONTROLW, L"", 0, 8, 4, 330, 24, kDemoTab);
  TCITEMW ti = {TCIF_TEXT};
  ti.pszText = (LPWSTR)L"一般";
  SendMessageW(tab, TCM_INSERTITEMW, 0, (LPARAM)&ti);
  ti.pszText = (LPWSTR)L"FTP の設定";
  SendMessageW(tab, TCM_INSERTITEMW, 1, (LPARAM)&ti);
  SendMessageW(tab, TCM_SETCURSEL, 1, 0);
  child(WC_BUTTONW, L"&OK", BS_DEFPUSHBUTTON, 8, 36, 80, 24, IDOK);
  child(WC_BUTTONW, L"メニュー(&M)", BS_PUSHBUTTON, 96, 36, 110, 24, kDemoMenuButton);
  child(WC_BUTTONW, L"待つ(&W)", BS_PUSHBUTTON, 214, 36, 110, 24, kDemoModal);
  HWND check = child(WC_BUTTONW, L"自動接続する", BS_AUTOCHECKBOX, 8, 68, 200, 20, kDemoCheck);
  SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
  HWND off = child(WC_BUTTONW, L"無効", BS_PUSHBUTTON, 214, 66, 110, 24, kDemoDisabled);
  EnableWindow(off, FALSE);
  HWND list = child(WC_LISTBOXW, L"", WS_BORDER | LBS_NOTIFY, 8, 96, 160, 60, kDemoList);
  SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)L"一行目");
  SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)L"second line");
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  HWND combo = child(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST, 176, 96, 150, 120, kDemoCombo);
  SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)L"毎日");
  SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)L"平日");
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  child(WC_EDITW, L"192.168.0.1", WS_BORDER | ES_AUTOHSCROLL, 8, 164, 160, 22, kDemoEdit);
  child(WC_BUTTONW, L"幅の足りないボタン", BS_PUSHBUTTON, 176, 164, 48, 24, kDemoNarrow);  // its text is cut
  // Like a tray program, the icon and its menu belong to a window that is never shown.
  HWND hidden = MakeWindow(L"ProbeDemo", DemoProc, (HBRUSH)(COLOR_BTNFACE + 1), title + L" hidden", 0, 0, 10, 10);
  NOTIFYICONDATAW nid = {sizeof nid};
  nid.hWnd = hidden;
  nid.uID = 1;
  nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  nid.uCallbackMessage = kDemoTray;
  nid.hIcon = LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION);
  wcscpy(nid.szTip, L"probe トレイ");
  if (a.tray && !Shell_NotifyIconW(NIM_ADD, &nid)) Fail(kFailed, L"Shell_NotifyIconW(NIM_ADD) failed");
  ShowAndRun(h, SW_SHOWNORMAL, a.MsOr(60000));
  if (a.tray) Shell_NotifyIconW(NIM_DELETE, &nid);
}

void CmdUdpRecv(const Args& a) {
  const long long port = a.Number(0), timeout = a.Number(1), want = a.pos.size() > 2 ? a.Number(2) : 1;
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa)) Fail(kFailed, L"WSAStartup failed");
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in sin = {};
  sin.sin_family = AF_INET;
  sin.sin_port = htons((u_short)port);
  sin.sin_addr.s_addr = htonl(INADDR_ANY);
  if (s == INVALID_SOCKET || bind(s, (sockaddr*)&sin, sizeof sin))
    Fail(kFailed, L"cannot bind UDP " + Num(port) + L", error " + Num(WSAGetLastError()));
  Out(L"LISTENING " + Num(port));
  DWORD start = GetTickCount();
  long long got = 0;
  while (got < want) {
    long long left = timeout - (long long)(GetTickCount() - start);
    if (left <= 0) break;
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(s, &fds);
    timeval tv = {(long)(left / 1000), (long)(left % 1000) * 1000};
    if (select(0, &fds, nullptr, nullptr, &tv) <= 0) continue;
    char buf[2048];
    sockaddr_in from = {};
    int fl = sizeof from;
    int n = recvfrom(s, buf, sizeof buf, 0, (sockaddr*)&from, &fl);
    if (n < 0) Fail(kFailed, L"recvfrom failed, error " + Num(WSAGetLastError()));
    std::wstring data;
    for (int i = 0; i < n; i++) {
      unsigned char c = (unsigned char)buf[i];
      wchar_t b[8];
      if (c == '\\') data += L"\\\\";
      else if (c < 0x20 || c >= 0x7f) swprintf(b, 8, L"\\x%02x", c), data += b;
      else data += (wchar_t)c;
    }
    const unsigned char* ip = (const unsigned char*)&from.sin_addr;
    Out(L"FROM " + Num(ip[0]) + L"." + Num(ip[1]) + L"." + Num(ip[2]) + L"." + Num(ip[3]) + L":" +
        Num(ntohs(from.sin_port)) + L" [" + data + L"]");
    got++;
  }
  closesocket(s);
  WSACleanup();
  if (got < want)
    Fail(kNotFound, L"got " + Num(got) + L" of " + Num(want) + L" datagrams within " + Num(timeout) + L" ms");
}


// answer-times WINDOW SECONDS INTERVAL_MS: sends WM_NULL every INTERVAL_MS for SECONDS and prints
// how long the window's thread took to answer: "answers=N median=MS p95=MS max=MS late=N" (late:
// no answer within 5 s).
void CmdAnswerTimes(const Args& a) {
  const long long seconds = a.Number(1), interval = a.Number(2);
  if (interval <= 0) a.BadUsage();
  HWND h = NeedTop(a, 5000);
  LARGE_INTEGER frequency, start, before, after;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::vector<double> times;
  long long late = 0;
  for (;;) {
    QueryPerformanceCounter(&before);
    if ((before.QuadPart - start.QuadPart) >= seconds * frequency.QuadPart) break;
    DWORD_PTR r = 0;
    const bool answered = SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r) != 0;
    QueryPerformanceCounter(&after);
    if (!answered) {
      if (!IsWindow(h)) Fail(kFailed, L"the window went away");
      ++late;
    } else {
      times.push_back(1000.0 * double(after.QuadPart - before.QuadPart) / double(frequency.QuadPart));
    }
    Sleep((DWORD)interval);
  }
  if (times.empty()) Fail(kFailed, L"no answer at all");
  std::sort(times.begin(), times.end());
  auto ms = [](double v) {
    wchar_t b[32];
    swprintf(b, 32, L"%.2f", v);
    return std::wstring(b);
  };
  Out(L"answers=" + Num((long long)times.size()) + L" median=" + ms(times[times.size() / 2]) +
      L" p95=" + ms(times[times.size() * 95 / 100]) + L" max=" + ms(times.back()) + L" late=" + Num(late));
}

// tray-remove WINDOW ID: removes the notification-area icon ID of that window (another program's,
// as a notification area that was started anew has lost it).
void CmdTrayRemove(const Args& a) {
  const long long id = a.Number(1);
  HWND h = NeedTop(a, 5000);
  NOTIFYICONDATAW nid = {sizeof nid};
  nid.hWnd = h;
  nid.uID = (UINT)id;
  if (!Shell_NotifyIconW(NIM_DELETE, &nid)) Fail(kFailed, L"the notification area has no such icon");
}

// broadcast NAME: sends the registered window message NAME (e.g. TaskbarCreated) to every
// top-level window, as the system does.
void CmdBroadcast(const Args& a) {
  if (a.pos.empty()) a.BadUsage();
  const UINT msg = RegisterWindowMessageW(a.pos[0].c_str());
  if (!msg || !SendNotifyMessageW(HWND_BROADCAST, msg, 0, 0)) Fail(kFailed, L"SendNotifyMessageW failed");
  Out(L"message=" + Hex(msg));
}

// window TITLE [--ms N]: a plain top-level window with this title, like another program's dialog;
// prints its window line, then "CLOSED" when it is closed (WM_SYSCOMMAND SC_CLOSE or WM_CLOSE), or
// "TIMEOUT" after N ms (default 60000).
void CmdWindow(const Args& a) {
  if (a.pos.empty()) a.BadUsage();
  HWND h = MakeWindow(L"ProbeWindow", QuitOnDestroyProc, (HBRUSH)(COLOR_BTNFACE + 1), a.pos[0], 300, 200, 240, 120);
  ShowAndRun(h, SW_SHOWNOACTIVATE, a.MsOr(60000));
  if (IsWindow(h)) {
    Out(L"TIMEOUT");
    DestroyWindow(h);
  } else {
    Out(L"CLOSED");
  }
}

// ---------------------------------------------------------------- shortcuts and OLE drops

// OLE, loaded only by the commands that need it, so that every other command starts as before.
struct Ole {
  HMODULE dll = LoadLibraryW(L"ole32.dll");
  template <typename F>
  F Get(const char* name) { return dll ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr; }
  decltype(&CoInitialize) coInitialize = Get<decltype(&CoInitialize)>("CoInitialize");
  decltype(&CoUninitialize) coUninitialize = Get<decltype(&CoUninitialize)>("CoUninitialize");
  decltype(&CoCreateInstance) coCreateInstance = Get<decltype(&CoCreateInstance)>("CoCreateInstance");
  decltype(&OleInitialize) oleInitialize = Get<decltype(&OleInitialize)>("OleInitialize");
  decltype(&OleUninitialize) oleUninitialize = Get<decltype(&OleUninitialize)>("OleUninitialize");
  decltype(&DoDragDrop) doDragDrop = Get<decltype(&DoDragDrop)>("DoDragDrop");
  bool ok() const {
    return coInitialize && coUninitialize && coCreateInstance && oleInitialize && oleUninitialize && doDragDrop;
  }
};

// Hands a new shell link object and its file interface to `use` (which must not throw), with COM
// started around it; false when the object could not be made or `use` says it failed.
template <typename Use>
bool WithShellLink(Use use) {
  Ole ole;
  if (!ole.ok()) Fail(kFailed, L"no OLE");
  ole.coInitialize(nullptr);
  bool done = false;
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(ole.coCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, (void**)&link))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
      done = use(link, file);
      file->Release();
    }
    link->Release();
  }
  ole.coUninitialize();
  return done;
}

// shortcut LNK TARGET [ARGS]: writes a shell shortcut.
void CmdShortcut(const Args& a) {
  if (a.pos.size() < 2) a.BadUsage();
  const bool written = WithShellLink([&](IShellLinkW* link, IPersistFile* file) {
    link->SetPath(a.pos[1].c_str());
    if (a.pos.size() > 2) link->SetArguments(a.pos[2].c_str());
    return SUCCEEDED(file->Save(a.pos[0].c_str(), TRUE));
  });
  if (!written) Fail(kFailed, L"could not write " + a.pos[0]);
}

// link LNK: what a shell shortcut holds. The show command is read from the file's header, since
// Wine's IShellLink::GetShowCmd does not return the stored one.
void CmdLink(const Args& a) {
  if (a.pos.empty()) a.BadUsage();
  const bool read = WithShellLink([&](IShellLinkW* link, IPersistFile* file) {
    if (FAILED(file->Load(a.pos[0].c_str(), STGM_READ))) return false;
    wchar_t target[MAX_PATH] = L"", args[1024] = L"", work[MAX_PATH] = L"", icon[MAX_PATH] = L"";
    int iconIndex = 0;
    WORD hotkey = 0;
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(args, 1024);
    link->GetWorkingDirectory(work, MAX_PATH);
    link->GetIconLocation(icon, MAX_PATH, &iconIndex);
    link->GetHotkey(&hotkey);
    DWORD show = 0, got = 0;
    HANDLE h = CreateFileW(a.pos[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      SetFilePointer(h, 0x3C, nullptr, FILE_BEGIN);
      ReadFile(h, &show, sizeof show, &got, nullptr);
      CloseHandle(h);
    }
    Out(L"target=" + Esc(target));
    Out(L"arguments=" + Esc(args));
    Out(L"work=" + Esc(work));
    Out(L"icon=" + Esc(icon) + L"," + Num(iconIndex));
    Out(L"show=" + Num(show));
    Out(L"hotkey=" + Hex(hotkey));
    return true;
  });
  if (!read) Fail(kFailed, L"could not read " + a.pos[0]);
}

// reg ROOT\KEY: the key and its sub-keys, depth first: "key=PATH" lines, then
// "  NAME=TYPE:DATA" (sz text, dword decimal, binary hex; the default value's name is empty).
void DumpKey(HKEY root, const std::wstring& path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  Out(L"key=" + Esc(path));
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLength = 16384, type = 0, size = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<BYTE> data(size + 2);
    nameLength = 16384;
    RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
    std::wstring text;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      text = L"sz:" + Esc(std::wstring(reinterpret_cast<wchar_t*>(data.data()), size / sizeof(wchar_t)).c_str());
    } else if (type == REG_DWORD) {
      text = L"dword:" + Num(*reinterpret_cast<DWORD*>(data.data()));
    } else {
      text = L"binary:";
      for (DWORD b = 0; b < size; ++b) {
        wchar_t hex[3];
        swprintf(hex, 3, L"%02x", data[b]);
        text += hex;
      }
    }
    Out(L"  " + Esc(name) + L"=" + text);
  }
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.push_back(name);
  }
  RegCloseKey(key);
  for (const auto& sub : subkeys) DumpKey(root, path + L"\\" + sub);
}

void CmdReg(const Args& a) {
  if (a.pos.empty()) a.BadUsage();
  static const struct { const wchar_t* name; HKEY key; } roots[] = {
      {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}, {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
      {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {L"HKEY_USERS", HKEY_USERS}};
  const std::wstring& full = a.pos[0];
  const size_t cut = full.find(L'\\');
  const std::wstring rootName = full.substr(0, cut);
  for (const auto& r : roots) {
    if (_wcsicmp(rootName.c_str(), r.name) != 0) continue;
    HKEY key;
    const std::wstring path = cut == std::wstring::npos ? L"" : full.substr(cut + 1);
    if (RegOpenKeyExW(r.key, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) Fail(kNotFound, L"no key " + full);
    RegCloseKey(key);
    DumpKey(r.key, path);
    return;
  }
  Fail(kUsage, L"unknown root " + rootName);
}

// The files of a drag, as CF_HDROP.
class FileData : public IDataObject {
 public:
  explicit FileData(std::vector<std::wstring> files) : files_(std::move(files)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDataObject) { *out = this; AddRef(); return S_OK; }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    size_t chars = 1;
    for (auto& f2 : files_) chars += f2.size() + 1;
    HGLOBAL g = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* d = (DROPFILES*)GlobalLock(g);
    d->pFiles = sizeof(DROPFILES);
    d->fWide = TRUE;
    auto* p = (wchar_t*)(d + 1);
    for (auto& f2 : files_) { wcscpy(p, f2.c_str()); p += f2.size() + 1; }
    *p = 0;
    GlobalUnlock(g);
    m->tymed = TYMED_HGLOBAL;
    m->hGlobal = g;
    m->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dir, IEnumFORMATETC** e) override {
    if (dir != DATADIR_GET) return E_NOTIMPL;
    static FORMATETC f = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &f, e);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::vector<std::wstring> files_;
  ULONG refs_ = 1;
};

// Holds the drag over the target for a few timer rounds, then drops; bounded by the round count.
class TimedDrop : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDropSource) { *out = this; AddRef(); return S_OK; }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
    return ++rounds_ < 5 ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  int rounds_ = 0;
};

// drop WINDOW CONTROL_ID FILE...: drags the files from the shell onto the control and drops them.
void CmdDrop(const Args& a) {
  const auto [top, target] = NeedWindowControl(a);
  RECT r;
  GetWindowRect(target, &r);
  SetForegroundWindow(top);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Ole ole;
  if (!ole.ok()) Fail(kFailed, L"no OLE");
  ole.oleInitialize(nullptr);
  FileData data(std::vector<std::wstring>(a.pos.begin() + 2, a.pos.end()));
  TimedDrop source;
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr = ole.doDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
  ole.oleUninitialize();
  if (hr != DRAGDROP_S_DROP || effect == DROPEFFECT_NONE)
    Fail(kFailed, L"not dropped: hr=" + Hex((unsigned long)hr) + L" effect=" + Num(effect));
  Out(L"dropped effect=" + Num(effect));
}

// Keeps FILE open for MS milliseconds (a program using it), then closes it; shared with no one, or
// with readers only.
void CmdHold(const Args& a) {
  const long long ms = a.Number(1);
  if (ms < 0) a.BadUsage();
  // "read": others may still read it (and so start it), as a running program's file, but not write it.
  const DWORD share = a.pos.size() > 2 && a.pos[2] == L"read" ? FILE_SHARE_READ : 0;
  HANDLE h = CreateFileW(a.pos[0].c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail(kFailed, L"cannot open " + a.pos[0]);
  Out(L"HOLDING " + a.pos[0]);
  fflush(stdout);
  Sleep(static_cast<DWORD>(ms));
  CloseHandle(h);
}

// Prints the clipboard's text (escaped), or puts TEXT on it.
void CmdClipboard(const Args& a) {
  bool open = false;
  for (int i = 0; i < 50 && !(open = OpenClipboard(nullptr)); i++) Sleep(100);  // another program may hold it
  if (!open) Fail(kFailed, L"cannot open the clipboard, error " + Num(GetLastError()));
  if (!a.pos.empty()) {
    const std::wstring& text = a.pos[0];
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (h) {
      memcpy(GlobalLock(h), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
      GlobalUnlock(h);
    }
    const bool put = h && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, h);
    CloseClipboard();
    if (!put) Fail(kFailed, L"cannot put the text on the clipboard");
    return;
  }
  std::wstring text;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(h))) text = p;
    GlobalUnlock(h);
  }
  CloseClipboard();
  Out(L"CLIPBOARD [" + Esc(text) + L"]");
}

// Adds the certificate in FILE (DER) to the machine's trusted roots, as an administrator's
// certificate import does: the system's chain engine then trusts what it signed.
void CmdTrustRoot(const Args& a) {
  if (a.pos.empty()) a.BadUsage();
  HANDLE h = CreateFileW(a.pos[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail(kFailed, L"cannot open " + a.pos[0]);
  std::vector<BYTE> der(GetFileSize(h, nullptr));
  DWORD got = 0;
  const BOOL read = ReadFile(h, der.data(), static_cast<DWORD>(der.size()), &got, nullptr);
  CloseHandle(h);
  if (!read || got != der.size()) Fail(kFailed, L"cannot read " + a.pos[0]);
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (!root) Fail(kFailed, L"cannot open the Root store: " + Num(GetLastError()));
  const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), got,
                                                      CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  const DWORD error = GetLastError();
  CertCloseStore(root, 0);
  if (!added) Fail(kFailed, L"not added to the Root store: " + Hex(error));
  Out(L"TRUSTED " + a.pos[0]);
}

void CmdInfo(const Args&) {
  wchar_t loc[LOCALE_NAME_MAX_LENGTH] = {};
  GetUserDefaultLocaleName(loc, LOCALE_NAME_MAX_LENGTH);
  Out(L"acp=" + Num(GetACP()) + L" oemcp=" + Num(GetOEMCP()) + L" locale=" + loc +
      L" uilang=" + Hex(GetUserDefaultUILanguage()));
}

// Every command: its name, its arguments as its usage line shows them, and what runs it.
const struct Command {
  const wchar_t* name;
  const wchar_t* args;
  void (*run)(const Args&);
} kCommands[] = {
    {L"find", L"WINDOW [timeout_ms] [--visible]", CmdFind},
    {L"gone", L"WINDOW [timeout_ms]", CmdGone},
    {L"windows", L"", CmdWindows},
    {L"controls", L"WINDOW [timeout_ms]", CmdControls},
    {L"text-fit", L"WINDOW [FACE HEIGHT]", CmdTextFit},
    {L"owner", L"WINDOW [timeout_ms]", CmdOwner},
    {L"click", L"WINDOW CAPTION [--ms N]", CmdClick},
    {L"post", L"WINDOW MSG WPARAM LPARAM [--ms N]", CmdPost},
    {L"send", L"WINDOW MSG WPARAM LPARAM [--ms N]", CmdSend},
    {L"settext", L"WINDOW CONTROL_ID TEXT", CmdSetText},
    {L"menu", L"[timeout_ms]", CmdMenu},
    {L"keys", L"WINDOW KEY [KEY...] [--visible] [--ms N]", CmdKeys},
    {L"show-icons", L"MODULE NAME [NAME...] [--ms N] [--title TEXT]", CmdShowIcons},
    {L"demo", L"[--ms N] [--title TEXT] [--tray]", CmdDemo},
    {L"udp-recv", L"PORT TIMEOUT_MS [COUNT]", CmdUdpRecv},
    {L"answer-times", L"WINDOW SECONDS INTERVAL_MS", CmdAnswerTimes},
    {L"window", L"TITLE [--ms N]", CmdWindow},
    {L"tray-remove", L"WINDOW ID", CmdTrayRemove},
    {L"broadcast", L"NAME", CmdBroadcast},
    {L"shortcut", L"LNK TARGET [ARGS]", CmdShortcut},
    {L"drop", L"WINDOW CONTROL_ID FILE [FILE...]", CmdDrop},
    {L"hold", L"FILE MS [read]", CmdHold},
    {L"link", L"LNK", CmdLink},
    {L"reg", L"ROOT\\KEY", CmdReg},
    {L"clipboard", L"[TEXT]", CmdClipboard},
    {L"trust-root", L"FILE.der", CmdTrustRoot},
    {L"info", L"", CmdInfo},
};

std::wstring UsageLine(const Command& c) { return std::wstring(c.name) + (*c.args ? L" " : L"") + c.args; }

[[noreturn]] void Usage() {
  std::wstring text = L"usage: probe COMMAND ...\n";
  for (const Command& c : kCommands) text += L"  " + UsageLine(c) + L"\n";
  Fail(kUsage, text + L"WINDOW: class=NAME | title=TEXT | class=NAME,title=TEXT | hwnd=0x...");
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) Usage();
  Args a;
  if (!SplitArgs(argc, argv, &a)) Usage();
  for (const Command& c : kCommands) {
    if (argv[1] != std::wstring(c.name)) continue;
    a.usage = UsageLine(c);
    c.run(a);
    return kOk;
  }
  Usage();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  try {
    return Run(argc, argv);
  } catch (const Failure& failure) {
    Write(stderr, L"probe: " + failure.message);
    return failure.code;
  }
}
