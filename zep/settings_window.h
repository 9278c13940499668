// TZEPForm: the tabbed settings window "ZEP!". Its controls show the settings model and every
// change goes into the model at once; the file is written at exit by the controller window.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "controller.h"
#include "settings.h"
#include "settings_rules.h"
#include "spin_field.h"
#include "window_base.h"

namespace zep {

// What the window needs of the controller window that owns it.
struct FormHost {
    HINSTANCE instance;
    Settings& settings;
    Controller& controller;
    Shell& shell;
};

class SettingsForm : public Window {
public:
    explicit SettingsForm(const FormHost& host) : Window(host.instance), h_(host) {}
    ~SettingsForm() override;

    bool Create();

    // The settings store has filled the model: put every value into the controls and run the
    // change rules of the boxes (the router maker's library is switched on when it is ticked).
    void LoadFromModel();
    // The window's position goes into PosX and PosY (written at exit).
    void StorePosition();

    void Show();
    // Keyboard navigation of the window (Tab, accelerators); true when the message was taken.
    bool PreTranslate(MSG& msg);

    void AboutButtonClick();
    // The controller changed what the window shows: the router's destination list or current
    // destination, an FTP upload (started, ended, its log), the router address.
    void DestinationsChanged();
    void FtpUploadChanged();
    void RouterAddressChanged();
    // The connection-time panel's 閉じる: the panel no longer shows at connections, so its box is
    // unticked (the setting is already off).
    void TimeShowUnticked();

private:
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    static LRESULT CALLBACK DefaultPanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                             DWORD_PTR data);

    HWND Add(int page, const wchar_t* cls, const char16_t* text, DWORD style, int x, int y, int w, int hgt, int id,
             const char16_t* hint = nullptr, DWORD exStyle = 0);
    HWND AddCheck(int page, const char16_t* text, int x, int y, int w, int id, const char16_t* hint = nullptr);
    HWND AddSpin(int page, int x, int y, int w, int id, const SpinField& field);
    void BuildControls();
    void SetHint(HWND control, const std::u16string& hint);
    void ShowSelectedFtpLogLine();
    void ShowPage(int page);
    // The icons of the about and document buttons, at the window's resolution.
    void LoadButtonIcons();
    void DpiChanged() override;
    bool IsOnPage(HWND control) const;
    void ShowError(const char16_t* text);

    void OnCommand(int id, int code);
    void OnCheckChanged(int id);
    EnableStates CurrentEnableStates() const;
    void ApplyEnableStates();
    void SetSpinValue(int id, int32_t value);
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& ansi);

    void UpdateSetupUtilPanel();
    void DrawPanel(const DRAWITEMSTRUCT& item);
    void ChooseSetupUtility();
    void DefaultPanelPressed();
    void MRLCheckChanged();
    void SwitchOnLibrary();
    void UntickMRL();
    void FTPSetButtonClick();
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
    HWND tab_ = nullptr;
    HWND tooltip_ = nullptr;
    HICON documentIcon_ = nullptr;
    HICON aboutIcon_ = nullptr;
    RECT page_{};  // the tab control's display area, in window client coordinates laid out for 96 dpi
    std::array<std::vector<HWND>, 6> pages_{};
    bool firstShow_ = true;  // FirstShow
    bool loading_ = false;
    bool loaded_ = false;
    std::string setupOpenFile_ = "NWGSet.exe";  // OpenDialog's file name: the last one chosen
};

}  // namespace zep
