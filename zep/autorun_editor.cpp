#include "autorun_editor.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <functional>

#include "autorun.h"
#include "controls.h"
#include "spin_field.h"
#include "texts_ja.h"
#include "win_system.h"
#include "window_base.h"

namespace zep {
namespace {

enum { Label1 = 400, NameEdit, UseCheck, Label2, FileNameEdit, OpenButton, Label7, Label3, ParameterEdit, Label4,
       WorkEdit, OnlyAutoCheck, Label5, WaitSpin, Label6, WaitArrows };

// The target path and arguments of a shortcut, through the shell's link object.
bool ReadShortcut(const std::wstring& path, std::wstring& target, std::wstring& arguments) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    bool ok = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t buffer[MAX_PATH] = L"";
            wchar_t args[1024] = L"";
            link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->GetArguments(args, 1024);
            target = buffer;
            arguments = args;
            ok = true;
        }
        file->Release();
    }
    link->Release();
    return ok;
}

// An OLE drop target for files from the shell (CF_HDROP): the first file dropped is handed on.
class FileDropTarget : public IDropTarget {
public:
    FileDropTarget(HWND window, std::function<void(const std::wstring& path)> dropped)
        : window_(window), dropped_(std::move(dropped)) {
        CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTargetHelper,
                         reinterpret_cast<void**>(&helper_));
    }
    virtual ~FileDropTarget() {
        if (helper_) helper_->Release();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL pt, DWORD* effect) override {
        FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        accept_ = data->QueryGetData(&f) == S_OK;
        *effect = Effect(*effect);
        POINT p{pt.x, pt.y};
        if (helper_) helper_->DragEnter(window_, data, &p, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL pt, DWORD* effect) override {
        *effect = Effect(*effect);
        POINT p{pt.x, pt.y};
        if (helper_) helper_->DragOver(&p, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        if (helper_) helper_->DragLeave();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL pt, DWORD* effect) override {
        *effect = Effect(*effect);
        POINT p{pt.x, pt.y};
        if (helper_) helper_->Drop(data, &p, *effect);
        FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        if (accept_ && SUCCEEDED(data->GetData(&f, &medium))) {
            auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
            if (drop && DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
                // Only the first file counts.
                std::wstring path(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
                path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
                dropped_(path);
            }
            if (drop) GlobalUnlock(medium.hGlobal);
            ReleaseStgMedium(&medium);
        }
        return S_OK;
    }

private:
    DWORD Effect(DWORD allowed) const {
        if (!accept_) return DROPEFFECT_NONE;
        for (DWORD e : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
            if (allowed & e) return e;
        return DROPEFFECT_NONE;
    }
    HWND window_;
    std::function<void(const std::wstring& path)> dropped_;
    IDropTargetHelper* helper_ = nullptr;
    ULONG refs_ = 1;
    bool accept_ = false;
};

class AutorunEditor : public Window {
public:
    explicit AutorunEditor(HINSTANCE instance) : Window(instance) {}

    // The tag: 1 after OK (the entry holds the edited values), 0 otherwise; x and y get the
    // editor's last position however it was closed.
    int Run(HWND owner, TAutorunType& entry, int32_t& x, int32_t& y) {
        if (!CreateOfClass({L"TZEPSetForm", GetSysColorBrush(COLOR_BTNFACE)}, WS_EX_DLGMODALFRAME,
                           Wide(text::kSetFormTitle), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner))
            return 0;
        entry_ = &entry;
        x_ = &x;
        y_ = &y;
        SizeClient(264, 200, false, x, y);
        const TAutorunType& e = entry;
        const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP;
        const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
        AddControl(WC_STATICW, Wide(text::kSetNameLabel), SS_LEFT, 6, 11, 84, 14, Label1);
        HWND name = AddControl(WC_EDITW, WideFromAnsi(e.Name), edit, 92, 8, 96, 20, NameEdit, WS_EX_CLIENTEDGE);
        AddControl(WC_BUTTONW, Wide(text::kSetUseCheck), check, 194, 10, 66, 16, UseCheck);
        CheckDlgButton(window_, UseCheck, e.Use ? BST_CHECKED : BST_UNCHECKED);
        AddControl(WC_STATICW, Wide(text::kSetFileLabel), SS_LEFT, 6, 35, 84, 14, Label2);
        HWND file = AddControl(WC_EDITW, WideFromAnsi(e.FileName), edit, 92, 32, 140, 20, FileNameEdit,
                               WS_EX_CLIENTEDGE);
        AddControl(WC_BUTTONW, Wide(text::kEllipsisButton), BS_PUSHBUTTON | WS_TABSTOP, 234, 32, 24, 20,
                   OpenButton);
        AddControl(WC_STATICW, Wide(text::kSetDropLabel), SS_LEFT, 66, 54, 192, 14, Label7);
        AddControl(WC_STATICW, Wide(text::kSetParameterLabel), SS_LEFT, 6, 75, 84, 14, Label3);
        AddControl(WC_EDITW, WideFromAnsi(e.Parameter), edit, 92, 72, 166, 20, ParameterEdit,
                   WS_EX_CLIENTEDGE);
        AddControl(WC_STATICW, Wide(text::kSetWorkLabel), SS_LEFT, 6, 99, 84, 14, Label4);
        AddControl(WC_EDITW, WideFromAnsi(e.Work), edit, 92, 96, 166, 20, WorkEdit, WS_EX_CLIENTEDGE);
        AddControl(WC_BUTTONW, Wide(text::kSetOnlyAutoCheck), check, 6, 122, 252, 16, OnlyAutoCheck);
        CheckDlgButton(window_, OnlyAutoCheck, e.OnlyAuto ? BST_CHECKED : BST_UNCHECKED);
        AddControl(WC_STATICW, Wide(text::kSetWaitBefore), SS_LEFT, 6, 147, 40, 14, Label5);
        HWND wait = AddControl(WC_EDITW, std::to_wstring(kWaitSpin.Clamp(e.Wait)), edit, 50, 144, 50, 20,
                               WaitSpin, WS_EX_CLIENTEDGE);
        AcceptSpinCharactersOnly(wait);
        HWND arrows = AddControl(UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_SETBUDDYINT, 0, 0, 0,
                                 0, WaitArrows);
        SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(wait), 0);
        SendMessageW(arrows, UDM_SETRANGE32, kWaitSpin.min, kWaitSpin.max);
        SendMessageW(arrows, UDM_SETPOS32, 0, kWaitSpin.Clamp(e.Wait));
        AddControl(WC_STATICW, Wide(text::kSetWaitAfter), SS_LEFT, 104, 147, 100, 14, Label6);
        AddControl(WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 100, 170, 75, 24, IDOK);
        AddControl(WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 183, 170, 75, 24, IDCANCEL);
        drop_ = new FileDropTarget(window_, [this](const std::wstring& path) { TakeDroppedFile(path); });
        RegisterDragDrop(file, drop_);
        SetFocus(name);
        RunModal();
        return tag_;
    }

private:
    HWND Item(int id) const { return GetDlgItem(window_, id); }

    // The editor's fields as a dropped file or a chosen one fills them.
    void Fill(const EditorFill& fill) {
        SetControlText(Item(FileNameEdit), fill.fileName);
        if (fill.parameter) SetControlText(Item(ParameterEdit), *fill.parameter);
        SetControlText(Item(WorkEdit), fill.work);
    }

    void TakeDroppedFile(const std::wstring& path) {
        const std::string ansi = AnsiFromWide(path);
        EditorFill fill = FillFromDroppedFile(ansi);
        if (IsShortcutFile(ansi)) {
            std::wstring target, arguments;
            if (ReadShortcut(path, target, arguments))
                fill = FillFromShortcut(ansi, AnsiFromWide(target), AnsiFromWide(arguments));
        }
        Fill(fill);
    }

    void ChooseFile() {
        std::string file;
        if (RunFileDialog(window_, {false, text::kSetOpenTitle, text::kSetOpenFilter, nullptr, true}, file))
            Fill(FillFromDroppedFile(file));
    }

    void Save() {
        TAutorunType& e = *entry_;
        e.Name = ControlText(Item(NameEdit));
        e.Use = IsDlgButtonChecked(window_, UseCheck) == BST_CHECKED;
        e.FileName = ControlText(Item(FileNameEdit));
        e.Parameter = ControlText(Item(ParameterEdit));
        e.Work = ControlText(Item(WorkEdit));
        e.OnlyAuto = IsDlgButtonChecked(window_, OnlyAutoCheck) == BST_CHECKED;
        e.Wait = kWaitSpin.Clamp(kWaitSpin.Read(ControlText(Item(WaitSpin))));
    }

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDOK:
                        Save();
                        tag_ = 1;
                        EndModal();
                        return 0;
                    case IDCANCEL:
                        tag_ = 0;
                        EndModal();
                        return 0;
                    case OpenButton:
                        ChooseFile();
                        return 0;
                    case WaitSpin:
                        if (HIWORD(wParam) == EN_KILLFOCUS) ClampSpinText(Item(WaitSpin), kWaitSpin);
                        return 0;
                    default:
                        break;
                }
                break;
            case WM_DESTROY: {
                RECT r;
                GetWindowRect(window_, &r);
                *x_ = r.left;
                *y_ = r.top;
                RevokeDragDrop(Item(FileNameEdit));
                if (drop_) drop_->Release();
                drop_ = nullptr;
                break;
            }
            default:
                break;
        }
        return Window::Handle(msg, wParam, lParam);
    }

    TAutorunType* entry_ = nullptr;
    int32_t* x_ = nullptr;
    int32_t* y_ = nullptr;
    FileDropTarget* drop_ = nullptr;
    int tag_ = 0;
};

}  // namespace

bool RunAutorunEditor(HINSTANCE instance, HWND owner, TAutorunType& entry, int32_t& x, int32_t& y) {
    TAutorunType edited = entry;
    if (AutorunEditor(instance).Run(owner, edited, x, y) != 1) return false;
    entry = edited;
    return true;
}

}  // namespace zep
