#include "windows_launcher.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "windows_security.h"

namespace setup {

namespace {

int ShowCommand(ShowState show) {
    static const int kShow[] = {SW_SHOW, SW_HIDE, SW_MINIMIZE, SW_MAXIMIZE};
    return kShow[static_cast<int>(show)];
}

// Owns one COM interface pointer.
template <typename T>
class Com {
public:
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p_) p_->Release();
    }
    T** out() { return &p_; }
    void** outVoid() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }

private:
    BSTR b_;
};

VARIANT Number(int number) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = number;
    return v;
}

VARIANT Text(BSTR text) {
    VARIANT v = Number(0);
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

// The desktop shell's automation object: the desktop's folder view, as the shell's own process serves it.
bool DesktopShellDispatch(Com<IShellDispatch2>& shell) {
    Com<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.outVoid())))
        return false;
    VARIANT location = Number(CSIDL_DESKTOP), empty;
    VariantInit(&empty);
    long hwnd = 0;
    Com<IDispatch> desktop;
    if (windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, desktop.out()) != S_OK ||
        !desktop)
        return false;
    Com<IServiceProvider> services;
    Com<IShellBrowser> browser;
    Com<IShellView> view;
    Com<IDispatch> background;
    Com<IShellFolderViewDual> folderView;
    Com<IDispatch> application;
    return SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, services.outVoid())) &&
           SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.outVoid())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.out())) &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.outVoid())) &&
           SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.outVoid())) &&
           SUCCEEDED(folderView->get_Application(application.out())) && application &&
           SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.outVoid()));
}

}  // namespace

bool ShellStart(HWND owner, const LaunchRequest& request, HANDLE* process) {
    SHELLEXECUTEINFOW info{sizeof info};
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_CONNECTNETDRV | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_DOENVSUBST |
                 SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = request.file.c_str();
    info.lpParameters = request.parameters.empty() ? nullptr : request.parameters.c_str();
    info.nShow = ShowCommand(request.show);
    if (!ShellExecuteExW(&info)) return false;
    if (process) *process = info.hProcess;
    else if (info.hProcess) CloseHandle(info.hProcess);
    return true;
}

LaunchFacts WindowsLauncher::Facts() {
    LaunchFacts facts;
    facts.setup = ReadProcessRights(GetCurrentProcess()).value_or(ProcessRights{});
    // Where no shell window is registered, the desktop window's process stands for the shell: under
    // Windows that is the session manager, whose token an administrator cannot read.
    HWND shellWindow = GetShellWindow();
    if (!shellWindow) shellWindow = GetDesktopWindow();
    DWORD pid = 0;
    GetWindowThreadProcessId(shellWindow, &pid);
    if (HANDLE process = pid ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr) {
        facts.shell = ReadProcessRights(process);
        CloseHandle(process);
    }
    return facts;
}

bool WindowsLauncher::StartThroughShell(const LaunchRequest& request) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool started = false;
    {
        Com<IShellDispatch2> shell;
        if (DesktopShellDispatch(shell)) {
            // The quotes of a quoted Go2 command belong to the command line, not to the file's name.
            std::wstring file = request.file;
            if (file.size() >= 2 && file.front() == L'"' && file.back() == L'"') file = file.substr(1, file.size() - 2);
            const Bstr fileText(file), parameters(request.parameters), folder(L""), verb(L"");
            started = SUCCEEDED(shell->ShellExecute(fileText.get(), Text(parameters.get()), Text(folder.get()),
                                                    Text(verb.get()), Number(ShowCommand(request.show))));
        }
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return started;
}

}  // namespace setup
