// The installer window (dialog 101): the install folder, the option boxes and their layout, the
// readme; it starts the run on OK and shows its progress.
#pragma once
#include <windows.h>

#include "option_layout.h"
#include "run_progress.h"
#include "setup_app.h"

namespace setup {

class MainWindow : public RunProgress {
public:
    // Shows the window modally over `owner` (none: a window of its own, with a task-bar button);
    // returns when it has closed.
    static void Run(HWND owner, SetupApp& app);
    // A silent run: the window is made but never shown; returns when the run has ended.
    static void RunUnseen(SetupApp& app);

    // The run's progress; the boxes are owned by this window.
    void SetLabel(const wchar_t* text) override;
    void Hide(int id) override { ShowWindow(Item(id), SW_HIDE); }
    void Disable(int id) override { EnableWindow(Item(id), FALSE); }
    void Pause(DWORD ms) override;
    int Box(const std::wstring& text, UINT flags) override { return Box(text, app_.ProductName(), flags); }
    int Box(const std::wstring& text, const std::wstring& caption, UINT flags) override;
    void Repaint() override;
    void RepaintBackground() override;
    HWND Owner() override { return hwnd_; }
    void Finish() override { Close(); }

    INT_PTR Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    explicit MainWindow(SetupApp& app) : app_(app) {}

    bool Checked(int id) { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    HWND Item(int id) { return GetDlgItem(hwnd_, id); }
    void Close();
    // What the field and the boxes ask of the run.
    RunChoices Choices();
    void Initialise();
    void SetIcons();
    void ShowOptions(const std::wstring& previousFolder);
    void LayOut(const std::array<int, kLeftOptions>& left, int copy, int deleteAfter, bool unattended);
    void Command(int id);
    void Browse();
    void PickMenuFolder();
    void RemovalBoxClicked();
    bool OpenReadme();  // false: the agreement was refused
    // Started without a person: Setup Auto, or a silent run.
    bool Unattended();
    // The run stops before it has done anything, for the reason `flag` of the outcome; the window
    // stays for another choice unless the run had started or nobody is there to choose.
    void Refuse(bool RunOutcome::*flag, const wchar_t* note, bool runStarted = false);
    void NoteRun();
    void Paint();

    SetupApp& app_;
    HWND hwnd_ = nullptr;
    bool running_ = false;
    bool drawIcon_ = true;  // the icon place is hidden in an unattended run
};

}  // namespace setup
