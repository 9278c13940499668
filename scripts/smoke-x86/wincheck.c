// wincheck: tiny console helper for scripts/smoke-x86.sh, built for i686 and run
// inside the 32-bit prefix (a 64-bit program cannot join a win32 prefix).
//
//   wincheck.exe find CLASS TIMEOUT_MS   wait until a top-level window of CLASS
//                                        exists; print it and exit 0, else exit 1
//   wincheck.exe gone CLASS TIMEOUT_MS   wait until no top-level window of CLASS
//                                        is left; exit 0, else exit 1
//
// Polling happens in here, so the script starts this helper once per check:
// every process start goes through qemu and costs a second or two.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static void print_window(HWND w, const wchar_t *cls) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  RECT r = {0};
  GetWindowRect(w, &r);
  char name[256];
  WideCharToMultiByte(CP_UTF8, 0, cls, -1, name, sizeof name, NULL, NULL);
  printf("FOUND class=%s hwnd=%p pid=%lu visible=%d rect=%ld,%ld,%ld,%ld\n", name, (void *)w,
         (unsigned long)pid, IsWindowVisible(w) ? 1 : 0, r.left, r.top, r.right, r.bottom);
}

int wmain(int argc, wchar_t **argv) {
  if (argc != 4 || (wcscmp(argv[1], L"find") && wcscmp(argv[1], L"gone"))) {
    fprintf(stderr, "usage: wincheck find|gone CLASS TIMEOUT_MS\n");
    return 2;
  }
  const int want_present = wcscmp(argv[1], L"find") == 0;
  const wchar_t *cls = argv[2];
  const DWORD limit = (DWORD)wcstoul(argv[3], NULL, 10);
  const DWORD start = GetTickCount();
  for (;;) {
    HWND w = FindWindowW(cls, NULL);
    if (want_present && w) {
      print_window(w, cls);
      return 0;
    }
    if (!want_present && !w) {
      printf("GONE after %lu ms\n", (unsigned long)(GetTickCount() - start));
      return 0;
    }
    if (GetTickCount() - start >= limit) break;
    Sleep(200);
  }
  printf(want_present ? "NOTFOUND after %lu ms\n" : "STILL-THERE after %lu ms\n",
         (unsigned long)(GetTickCount() - start));
  return 1;
}
