// How a run tells what it does: message boxes for the person at the screen, and the log (/LOG) for
// whoever deploys it. A silent run (/S) shows nothing and waits for nobody: each message goes to the
// log and takes its box's default answer, and the pauses that let a person read the window's label
// are left out. One per process: the log, like the run, is the process's.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "texts.h"  // log_text: the words of the log

namespace setup::report {

// From now on entries are appended to `logFile` (none when empty); `silent` as /S says.
void Start(const std::wstring& logFile, bool silent);
bool Silent();

// An entry in the log, when there is one.
void Note(std::wstring_view text);
// `what`, followed on failure by "FAILED" and the system's text for `error` (none for ERROR_SUCCESS,
// where the function tells no reason).
void Result(std::wstring_view what, bool ok, DWORD error);

// MessageBoxW, or in a silent run the box's default button; the text and the answer are logged.
int Message(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags);

// Pause for a person to read the window; none in a silent run.
void PauseToRead(DWORD ms);

}  // namespace setup::report
