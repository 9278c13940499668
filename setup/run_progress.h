// What an installation or a removal run shows while it goes and asks on its way. The installer
// window implements it; a run knows nothing else of the window.
#pragma once
#include <windows.h>

#include <set>
#include <string>

namespace setup {

// What the window's field and boxes asked for when the run was started.
struct RunChoices {
    std::wstring folder;   // the install folder field
    std::set<int> ticked;  // the ticked boxes, by control id
    bool Ticked(int control) const { return ticked.count(control) != 0; }
};

class RunProgress {
public:
    virtual ~RunProgress() = default;
    // The line above the folder field names the step under way.
    virtual void SetLabel(const wchar_t* text) = 0;
    // A control whose step is done, or that no longer takes input.
    virtual void Hide(int control) = 0;
    virtual void Disable(int control) = 0;
    // Time to read what changed (none in a silent run).
    virtual void Pause(DWORD ms) = 0;
    // A message box over the run, with the product's name or `caption` as its caption; a silent run
    // takes the default answer.
    virtual int Box(const std::wstring& text, UINT flags) = 0;
    virtual int Box(const std::wstring& text, const std::wstring& caption, UINT flags) = 0;
    // The window at once, after a long step; the background, after a box that covered it.
    virtual void Repaint() = 0;
    virtual void RepaintBackground() = 0;
    // The window that owns what the system shows for the run.
    virtual HWND Owner() = 0;
    // The run has ended: the window closes.
    virtual void Finish() = 0;
};

}  // namespace setup
