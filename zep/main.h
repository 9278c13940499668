// TZEPForm: the tabbed settings window "ZEP!". Its controls show the settings model and every
// change goes into the model at once; the file is written at exit by the controller window.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "MRLExhibits.h"
#include "controller.h"
#include "settings.h"
#include "settings_form.h"
#include "spin_field.h"

namespace zep {

// What the window needs of the controller window that owns it.
struct FormHost {
    HINSTANCE instance;
    Settings& settings;
    Controller& controller;
    Shell& shell;
    MrlLibrary& library;
    NotifyTarget& notifyTarget;
    std::vector<uint8_t>& dllBuffer;
    MSG& lastDllNotify;  // the last WM_DLLNOTIFY the application took
};

class SettingsForm {
public:
    explicit SettingsForm(const FormHost& host) : h_(host) {}
    ~SettingsForm();

    bool Create();
    HWND window() const { return window_; }

    // The settings store has filled the model: put every value into the controls and run the
    // change rules of the boxes (the router maker's library is attached when it is switched on).
    void LoadFromModel();
    // The window's position goes into PosX and PosY (written at exit).
    void StorePosition();

    void Show();
    // Keyboard navigation of the window (Tab, accelerators); true when the message was taken.
    bool PreTranslate(MSG& msg);

    void AboutButtonClick();
    void FTPSetButtonClick();
    void UpdateAIControls();
    // The router's destination list or current destination changed.
    void DestinationsChanged();
    // An FTP upload started or ended: the page's buttons and the log list follow.
    void FtpUploadChanged();
    // The connection-time panel's 閉じる: the panel no longer shows at connections, so its box is
    // unticked (the setting is already off).
    void TimeShowUnticked();
    uint32_t firmwareVersion() const { return firmwareVersion_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SpinEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    static LRESULT CALLBACK DefaultPanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                             DWORD_PTR data);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND Add(int page, const wchar_t* cls, const char16_t* text, DWORD style, int x, int y, int w, int hgt, int id,
             const char16_t* hint = nullptr, DWORD exStyle = 0);
    HWND AddCheck(int page, const char16_t* text, int x, int y, int w, int id, const char16_t* hint = nullptr);
    HWND AddSpin(int page, int x, int y, int w, int id, const SpinField& field);
    void BuildControls();
    void SetHint(HWND control, const std::u16string& hint);
    void ShowSelectedFtpLogLine();
    void ShowPage(int page);
    bool IsOnPage(HWND control) const;

    void OnCommand(int id, int code, HWND control);
    void OnCheckChanged(int id);
    void ApplyEnableStates();
    void SetSpinValue(int id, int32_t value);
    void SpinKillFocus(int id);
    std::string ControlText(int id) const;
    void SetControlText(int id, const std::string& ansi);

    void UpdateSetupUtilPanel();
    void ChooseSetupUtility();
    void DefaultPanelPressed();
    void MRLCheckChanged(bool byUser);
    void AttachLibrary();
    void DetachLibraryView();
    void UntickMRL();
    void FTPConChanged();

    int SelectedLine() const;
    void ApplyListSelection();
    void RefreshAutorunList(int select);
    void EditAutorunSlot(int slot, TAutorunType preset);
    void AutoAdd();
    void AutoEdit();
    void AutoToggle();
    void AutoDelete();

    void ChooseWave(bool connect);
    void ChooseHTMLFile();
    void ChooseAIExe();
    void ChooseLogFolder();
    void OpenReadme();

    FormHost h_;
    HWND window_ = nullptr;
    HWND tab_ = nullptr;
    HWND tooltip_ = nullptr;
    HFONT font_ = nullptr;
    HICON aboutIcon_ = nullptr, documentIcon_ = nullptr;
    RECT page_{};  // the tab control's display area, in window client coordinates
    std::array<std::vector<HWND>, 6> pages_{};
    bool firstShow_ = true;  // FirstShow
    bool loading_ = false;
    bool loaded_ = false;
    bool aiExeExists_ = false;
    bool attachingLibrary_ = false;
    uint32_t firmwareVersion_ = 0;
    uint32_t mrlRouterAddress_ = 0;  // the router address the library last reported
    std::string setupOpenFile_ = "NWGSet.exe";  // OpenDialog's file name: the last one chosen
    std::wstring setupPanelTip_;
};

}  // namespace zep
