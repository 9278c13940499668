#include "setting.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "autorun.h"
#include "form_util.h"
#include "spin_field.h"
#include "texts_ja.h"
#include "win_text.h"

namespace zep {
namespace {

enum { Label1 = 400, NameEdit, UseCheck, Label2, FileNameEdit, OpenButton, Label7, Label3, ParameterEdit, Label4,
       WorkEdit, OnlyAutoCheck, Label5, WaitSpin, Label6, WaitArrows };

std::string AnsiOf(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

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

// Puts the first file of a drop into the editor.
void TakeDroppedFile(HWND dlg, const std::wstring& path) {
    const std::string ansi = AnsiOf(path);
    EditorFill fill = FillFromDroppedFile(ansi);
    if (IsShortcutFile(ansi)) {
        std::wstring target, arguments;
        if (ReadShortcut(path, target, arguments)) fill = FillFromShortcut(ansi, AnsiOf(target), AnsiOf(arguments));
    }
    SetAnsiText(GetDlgItem(dlg, FileNameEdit), fill.fileName);
    if (fill.parameter) SetAnsiText(GetDlgItem(dlg, ParameterEdit), *fill.parameter);
    SetAnsiText(GetDlgItem(dlg, WorkEdit), fill.work);
}

// FileNameEdit as an OLE drop target for files from the shell (CF_HDROP).
class FileDropTarget : public IDropTarget {
public:
    explicit FileDropTarget(HWND dlg) : dlg_(dlg) {
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
        if (helper_) helper_->DragEnter(dlg_, data, &p, *effect);
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
                TakeDroppedFile(dlg_, path);
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
    HWND dlg_;
    IDropTargetHelper* helper_ = nullptr;
    ULONG refs_ = 1;
    bool accept_ = false;
};

struct EditorState {
    TAutorunType* entry;
    int32_t x, y;
    int tag = 0;
    FileDropTarget* drop = nullptr;
};

LRESULT CALLBACK WaitEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_CHAR && !SpinField::Accepts(static_cast<char16_t>(wParam))) return 0;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void ChooseFile(HWND dlg) {
    wchar_t buffer[MAX_PATH] = L"";
    std::wstring filter = Wide(text::kSetOpenFilter);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter += L'\0';
    std::wstring title = Wide(text::kSetOpenTitle);
    OPENFILENAMEW ofn{sizeof ofn};
    ofn.hwndOwner = dlg;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    // A shortcut chosen here is kept as the shortcut itself.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS;
    if (!GetOpenFileNameW(&ofn)) return;
    const EditorFill fill = FillFromDroppedFile(AnsiOf(buffer));
    SetAnsiText(GetDlgItem(dlg, FileNameEdit), fill.fileName);
    SetAnsiText(GetDlgItem(dlg, WorkEdit), fill.work);
}

INT_PTR CALLBACK EditorProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* st = reinterpret_cast<EditorState*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            st = reinterpret_cast<EditorState*>(lParam);
            SetWindowLongPtrW(dlg, DWLP_USER, lParam);
            SizeClient(dlg, 264, 200, false, st->x, st->y);
            const TAutorunType& e = *st->entry;
            const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP;
            const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
            AddControl(dlg, WC_STATICW, Wide(text::kSetNameLabel), SS_LEFT, 6, 11, 84, 14, Label1);
            HWND name = AddControl(dlg, WC_EDITW, WideFromAnsi(e.Name), edit, 92, 8, 96, 20, NameEdit, WS_EX_CLIENTEDGE);
            AddControl(dlg, WC_BUTTONW, Wide(text::kSetUseCheck), check, 194, 10, 66, 16, UseCheck);
            CheckDlgButton(dlg, UseCheck, e.Use ? BST_CHECKED : BST_UNCHECKED);
            AddControl(dlg, WC_STATICW, Wide(text::kSetFileLabel), SS_LEFT, 6, 35, 84, 14, Label2);
            HWND file = AddControl(dlg, WC_EDITW, WideFromAnsi(e.FileName), edit, 92, 32, 140, 20, FileNameEdit,
                                   WS_EX_CLIENTEDGE);
            AddControl(dlg, WC_BUTTONW, Wide(text::kEllipsisButton), BS_PUSHBUTTON | WS_TABSTOP, 234, 32, 24, 20,
                       OpenButton);
            AddControl(dlg, WC_STATICW, Wide(text::kSetDropLabel), SS_LEFT, 66, 54, 192, 14, Label7);
            AddControl(dlg, WC_STATICW, Wide(text::kSetParameterLabel), SS_LEFT, 6, 75, 84, 14, Label3);
            AddControl(dlg, WC_EDITW, WideFromAnsi(e.Parameter), edit, 92, 72, 166, 20, ParameterEdit,
                       WS_EX_CLIENTEDGE);
            AddControl(dlg, WC_STATICW, Wide(text::kSetWorkLabel), SS_LEFT, 6, 99, 84, 14, Label4);
            AddControl(dlg, WC_EDITW, WideFromAnsi(e.Work), edit, 92, 96, 166, 20, WorkEdit, WS_EX_CLIENTEDGE);
            AddControl(dlg, WC_BUTTONW, Wide(text::kSetOnlyAutoCheck), check, 6, 122, 252, 16, OnlyAutoCheck);
            CheckDlgButton(dlg, OnlyAutoCheck, e.OnlyAuto ? BST_CHECKED : BST_UNCHECKED);
            AddControl(dlg, WC_STATICW, Wide(text::kSetWaitBefore), SS_LEFT, 6, 147, 40, 14, Label5);
            HWND wait = AddControl(dlg, WC_EDITW, std::to_wstring(kWaitSpin.Clamp(e.Wait)), edit, 50, 144, 50, 20,
                                   WaitSpin, WS_EX_CLIENTEDGE);
            SetWindowSubclass(wait, WaitEditProc, 1, 0);
            HWND arrows = AddControl(dlg, UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_SETBUDDYINT, 0, 0, 0,
                                     0, WaitArrows);
            SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(wait), 0);
            SendMessageW(arrows, UDM_SETRANGE32, kWaitSpin.min, kWaitSpin.max);
            SendMessageW(arrows, UDM_SETPOS32, 0, kWaitSpin.Clamp(e.Wait));
            AddControl(dlg, WC_STATICW, Wide(text::kSetWaitAfter), SS_LEFT, 104, 147, 100, 14, Label6);
            AddControl(dlg, WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 100, 170, 75, 24, IDOK);
            AddControl(dlg, WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 183, 170, 75, 24, IDCANCEL);
            st->drop = new FileDropTarget(dlg);
            RegisterDragDrop(file, st->drop);
            SetFocus(name);
            return FALSE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    TAutorunType& e = *st->entry;
                    e.Name = AnsiText(GetDlgItem(dlg, NameEdit));
                    e.Use = IsDlgButtonChecked(dlg, UseCheck) == BST_CHECKED;
                    e.FileName = AnsiText(GetDlgItem(dlg, FileNameEdit));
                    e.Parameter = AnsiText(GetDlgItem(dlg, ParameterEdit));
                    e.Work = AnsiText(GetDlgItem(dlg, WorkEdit));
                    e.OnlyAuto = IsDlgButtonChecked(dlg, OnlyAutoCheck) == BST_CHECKED;
                    e.Wait = kWaitSpin.Clamp(kWaitSpin.Read(AnsiText(GetDlgItem(dlg, WaitSpin))));
                    st->tag = 1;
                    EndDialog(dlg, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    st->tag = 0;
                    EndDialog(dlg, IDCANCEL);
                    return TRUE;
                case OpenButton:
                    ChooseFile(dlg);
                    return TRUE;
                case WaitSpin:
                    if (HIWORD(wParam) == EN_KILLFOCUS) {
                        const std::string typed = AnsiText(GetDlgItem(dlg, WaitSpin));
                        const std::string clamped = std::to_string(kWaitSpin.Clamp(kWaitSpin.Read(typed)));
                        if (typed != clamped) SetAnsiText(GetDlgItem(dlg, WaitSpin), clamped);
                    }
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_DESTROY: {
            RECT r;
            GetWindowRect(dlg, &r);
            st->x = r.left;
            st->y = r.top;
            RevokeDragDrop(GetDlgItem(dlg, FileNameEdit));
            if (st->drop) st->drop->Release();
            st->drop = nullptr;
            return FALSE;
        }
        default:
            return FALSE;
    }
}

}  // namespace

bool RunAutorunEditor(HINSTANCE instance, HWND owner, TAutorunType& entry, int32_t& x, int32_t& y) {
    TAutorunType edited = entry;
    EditorState state{&edited, x, y};
    RunModalDialog(instance, owner, text::kSetFormTitle, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                   EditorProc, reinterpret_cast<LPARAM>(&state));
    x = state.x;
    y = state.y;
    if (state.tag != 1) return false;
    entry = edited;
    return true;
}

}  // namespace zep
