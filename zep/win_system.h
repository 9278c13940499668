// The window layer's one module for conversions and what it asks of the system: the program's
// bytes (ANSI code page) to and from the wide API, the program's own path, files and folders,
// version resources, the locale, the clock, random numbers, the clipboard, other programs' windows and the file dialogs.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "date_time.h"
#include "paths.h"
#include "shell.h"

namespace zep {

// --- Conversions
inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string U16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
using code_page::AnsiFromWide;
using code_page::WideFromAnsi;

// The program's parameters after its name, in the ANSI code page.
std::vector<std::string> CommandLineParameters();

// --- The program's own file
std::string ProgramPath();
inline std::string ProgramFolder() { return FolderOf(ProgramPath()); }  // no trailing backslash
// A value of a file's version resource, from the string table of its first listed translation:
// nullopt when the file has no readable version resource, empty when the value is not there.
std::optional<std::string> VersionString(const std::string& path, const char* name);

// --- Files and folders
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The folder of zep's own files (no trailing backslash): beside the program, or, where the user
// cannot write there, "ZEP!" in the user's application-data folder, made on the first start and
// given the settings file from beside the program.
std::string OwnFilesFolder();
// The system's text of an error code, without the line end.
std::u16string SystemErrorText(DWORD code);
FileRead ReadWholeFile(const std::string& path);
std::optional<std::u16string> WriteWholeFile(const std::string& path, const std::string& bytes);
// `line` and CR LF at the end of the file, which is made when it is not there.
std::optional<std::u16string> AppendLine(const std::string& path, const std::string& line);

// --- The locale
LocaleFormats SystemLocaleFormats();
std::string SystemShortWeekdayName(int dayOfWeek);  // 0 = Sunday

// --- The system's clock and random numbers
// Sets the clock to `utc` with the right to change the time switched on for the call; false when
// the user does not hold that right (SeSystemtimePrivilege). Other refusals count as done: the
// next NTP line tries again.
bool SetSystemClockUtc(const UtcTime& utc);
// From the system's cryptographic generator.
uint64_t SystemRandomNumber();

// --- The display's resolution. The functions that tell it per window came with later systems
// (and not every Wine has them): where they are missing, the screen's resolution stands for all.
// The resolution `window` is shown at; for none, the system's.
int DpiOf(HWND window);
// The window size of a client area of `client` pixels with these styles, at `dpi`.
SIZE AdjustedForDpi(SIZE client, DWORD style, DWORD exStyle, int dpi);
// A system metric (SM_CXSMICON, ...) at `dpi`.
int SystemMetricForDpi(int index, int dpi);

// --- The clipboard and other programs' windows
void CopyTextToClipboard(HWND owner, const std::string& text);
std::vector<Shell::TopWindow> TopLevelWindowsNow();

// --- The file dialogs: the chosen file into `file` (which presets the dialog); false when
// cancelled. The filter's parts are separated by "|".
struct FileDialog {
    bool save = false;
    const char16_t* title = nullptr;
    const char16_t* filter = nullptr;
    const wchar_t* defaultExtension = nullptr;
    bool keepShortcuts = false;  // a chosen shortcut stays the shortcut itself
};
bool RunFileDialog(HWND owner, const FileDialog& dialog, std::string& file);

}  // namespace zep
