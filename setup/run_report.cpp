#include "run_report.h"

#include "run_log.h"
#include "texts.h"
#include "win_system.h"

namespace setup::report {

namespace {

HANDLE logHandle = INVALID_HANDLE_VALUE;
bool silentRun = false;

std::wstring SystemText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : L"";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text + L" (" + std::to_wstring(error) + L")";
}

const wchar_t* AnswerName(int answer) {
    switch (answer) {
    case IDYES: return log_text::yes;
    case IDNO: return log_text::no;
    default: return log_text::ok;
    }
}

// The button a box gives when Enter is pressed at once.
int DefaultButton(UINT flags) {
    if ((flags & MB_TYPEMASK) != MB_YESNO) return IDOK;
    return (flags & MB_DEFMASK) == MB_DEFBUTTON2 ? IDNO : IDYES;
}

}  // namespace

void Start(const std::wstring& logFile, bool silent) {
    silentRun = silent;
    if (logFile.empty()) return;
    // Shared, so that the copy of setup this one starts elevated appends to the same file.
    logHandle = CreateFileW(logFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool Silent() { return silentRun; }

void Note(std::wstring_view text) {
    if (logHandle == INVALID_HANDLE_VALUE) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string entry = LogEntry({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, text);
    DWORD written = 0;
    WriteFile(logHandle, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
}

void Result(std::wstring_view what, bool ok, DWORD error) {
    if (logHandle == INVALID_HANDLE_VALUE) return;
    if (ok) Note(what);
    else Note(std::wstring(what) + log_text::failedWith + (error == ERROR_SUCCESS ? L"" : SystemText(error)));
}

int Message(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
    Note(log_text::message + caption + L"\n" + text);
    const int answer = silentRun ? DefaultButton(flags) : MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    if ((flags & MB_TYPEMASK) == MB_YESNO) Note(std::wstring(log_text::answer) + AnswerName(answer));
    return answer;
}

void PauseToRead(DWORD ms) {
    if (!silentRun) Pause(ms);
}

}  // namespace setup::report
