#include "win_system.h"

#include <commdlg.h>
#include <ntsecapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "dpi_scale.h"

namespace zep {

std::vector<std::string> CommandLineParameters() {
    std::vector<std::string> parameters;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) parameters.push_back(AnsiFromWide(args[i]));
    LocalFree(args);
    return parameters;
}

std::string ProgramPath() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

std::optional<std::string> VersionString(const std::string& path, const char* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return std::nullopt;
    struct Translation {
        WORD language, codePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(Translation))
        return std::nullopt;
    char key[96];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", translations[0].language,
                  translations[0].codePage, name);
    char* value = nullptr;
    if (!VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&value), &length) || !value) return std::string();
    return std::string(value, strnlen(value, length));
}

bool FileExists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return !path.empty() && a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return !path.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// Whether the user may make files in `folder`: the only sure answer is to make one (the access
// lists, a read-only medium and policies all have their say).
bool FolderWritable(const std::string& folder) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string probe =
            folder + "\\zep-write-check-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

}  // namespace

std::string OwnFilesFolder() {
    const std::string program = ProgramPath();
    const std::string programFolder = FolderOf(program);
    char appData[MAX_PATH] = "";
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK)
        appData[0] = '\0';
    const std::string settingsName = LeafName(WithExtension(program, ".ini"));
    const OwnFilesPlace place =
        PlaceOwnFiles(programFolder, FolderWritable(programFolder), appData, settingsName, FileExists);
    if (place.folder == programFolder) return programFolder;
    if (!CreateDirectoryA(place.folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return programFolder;
    if (place.takeOverSettings)
        CopyFileA((programFolder + "\\" + settingsName).c_str(), (place.folder + "\\" + settingsName).c_str(), TRUE);
    return place.folder;
}

std::u16string SystemErrorText(DWORD code) {
    wchar_t* message = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<LPWSTR>(&message), 0, nullptr);
    std::wstring text = message ? message : L"";
    LocalFree(message);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    if (text.empty()) text = L"error " + std::to_wstring(code);
    return U16(text);
}

namespace {

// Writes all bytes to an opened file and closes it; the system's error text when that failed.
std::optional<std::u16string> WriteAndClose(HANDLE file, const std::string& bytes) {
    if (file == INVALID_HANDLE_VALUE) return SystemErrorText(GetLastError());
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok || written != bytes.size()) return SystemErrorText(error);
    return std::nullopt;
}

std::string LocaleText(LCTYPE type, const char* fallback) {
    char buffer[80];
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 1 ? std::string(buffer, n - 1) : fallback;
}

BOOL CALLBACK CollectTopWindow(HWND hwnd, LPARAM param) {
    wchar_t title[255];  // titles are read with up to 254 characters
    const int n = GetWindowTextW(hwnd, title, 255);
    reinterpret_cast<std::vector<Shell::TopWindow>*>(param)->push_back(
        {reinterpret_cast<uintptr_t>(hwnd), U16(std::wstring_view(title, n))});
    return TRUE;
}

}  // namespace

FileRead ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {std::nullopt, SystemErrorText(GetLastError())};
    std::string bytes;
    char chunk[65536];
    DWORD n = 0;
    BOOL ok;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &n, nullptr)) && n > 0) bytes.append(chunk, n);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok) return {std::nullopt, SystemErrorText(error)};  // a file read in part is not passed on as whole
    return {std::move(bytes), {}};
}

std::optional<std::u16string> WriteWholeFile(const std::string& path, const std::string& bytes) {
    return WriteAndClose(
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
        bytes);
}

std::optional<std::u16string> AppendLine(const std::string& path, const std::string& line) {
    return WriteAndClose(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
                         line + "\r\n");
}

LocaleFormats SystemLocaleFormats() {
    LocaleFormats f;
    f.shortDate = LocaleText(LOCALE_SSHORTDATE, "yyyy/MM/dd");
    f.longTime = LocaleText(LOCALE_STIMEFORMAT, "H:mm:ss");
    f.dateSeparator = LocaleText(LOCALE_SDATE, "/");
    f.timeSeparator = LocaleText(LOCALE_STIME, ":");
    f.amDesignator = LocaleText(LOCALE_S1159, "AM");
    f.pmDesignator = LocaleText(LOCALE_S2359, "PM");
    return f;
}

std::string SystemShortWeekdayName(int dayOfWeek) {
    // The system counts from Monday (LOCALE_SABBREVDAYNAME1) to Sunday (7).
    return LocaleText(LOCALE_SABBREVDAYNAME1 + (dayOfWeek + 6) % 7, "");
}

bool SetSystemClockUtc(const UtcTime& utc) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(utc.year);
    t.wMonth = static_cast<WORD>(utc.month);
    t.wDayOfWeek = static_cast<WORD>(utc.dayOfWeek);
    t.wDay = static_cast<WORD>(utc.day);
    t.wHour = static_cast<WORD>(utc.hour);
    t.wMinute = static_cast<WORD>(utc.minute);
    t.wSecond = static_cast<WORD>(utc.second);
    t.wMilliseconds = static_cast<WORD>(utc.millisecond);
    // The right is off in the token until switched on; a token without it stays without it.
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES on{1, {{{}, SE_PRIVILEGE_ENABLED}}};
    TOKEN_PRIVILEGES before{};
    DWORD beforeSize = 0;
    bool switched = false;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token) &&
        LookupPrivilegeValueW(nullptr, SE_SYSTEMTIME_NAME, &on.Privileges[0].Luid))
        switched = AdjustTokenPrivileges(token, FALSE, &on, sizeof before, &before, &beforeSize) &&
                   GetLastError() == ERROR_SUCCESS;
    const bool set = SetSystemTime(&t) != FALSE;
    const DWORD error = set ? ERROR_SUCCESS : GetLastError();
    if (switched) AdjustTokenPrivileges(token, FALSE, &before, 0, nullptr, nullptr);
    if (token) CloseHandle(token);
    return set || error != ERROR_PRIVILEGE_NOT_HELD;
}

uint64_t SystemRandomNumber() {
    uint64_t value = 0;
    RtlGenRandom(&value, sizeof value);
    return value;
}

void CopyTextToClipboard(HWND owner, const std::string& text) {
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        char* bytes = static_cast<char*>(GlobalLock(memory));
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

std::vector<Shell::TopWindow> TopLevelWindowsNow() {
    std::vector<Shell::TopWindow> windows;
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool RunFileDialog(HWND owner, const FileDialog& dialog, std::string& file) {
    wchar_t buffer[MAX_PATH] = L"";
    lstrcpynW(buffer, WideFromAnsi(file).c_str(), MAX_PATH);
    std::wstring filter = Wide(dialog.filter);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter += L'\0';
    const std::wstring title = Wide(dialog.title);
    OPENFILENAMEW ofn{sizeof ofn};
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = dialog.defaultExtension;
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | (dialog.save ? OFN_OVERWRITEPROMPT : 0) |
                (dialog.keepShortcuts ? OFN_NODEREFERENCELINKS : 0);
    if (!(dialog.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return false;
    file = AnsiFromWide(buffer);
    return true;
}

namespace {

// user32's per-window resolution functions, where the system has them.
struct DpiFunctions {
    UINT(WINAPI* forWindow)(HWND) = nullptr;
    BOOL(WINAPI* adjust)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    int(WINAPI* metric)(int, UINT) = nullptr;

    DpiFunctions() {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        Bind(user32, "GetDpiForWindow", forWindow);
        Bind(user32, "AdjustWindowRectExForDpi", adjust);
        Bind(user32, "GetSystemMetricsForDpi", metric);
    }
    template <typename F>
    static void Bind(HMODULE module, const char* name, F& f) {
        f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

const DpiFunctions& Dpi() {
    static const DpiFunctions functions;
    return functions;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int DpiOf(HWND window) {
    if (window && Dpi().forWindow)
        if (const UINT dpi = Dpi().forWindow(window)) return static_cast<int>(dpi);
    return ScreenDpi();
}

SIZE AdjustedForDpi(SIZE client, DWORD style, DWORD exStyle, int dpi) {
    RECT r{0, 0, client.cx, client.cy};
    if (!Dpi().adjust || !Dpi().adjust(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int SystemMetricForDpi(int index, int dpi) {
    if (Dpi().metric) return Dpi().metric(index, static_cast<UINT>(dpi));
    // The system's metric is for the screen's resolution.
    return ScaleToDpi(UnscaleFromDpi(GetSystemMetrics(index), ScreenDpi()), dpi);
}

}  // namespace zep
