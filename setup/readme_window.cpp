#include "readme_window.h"

#include "case_fold.h"
#include "painting.h"
#include "paths.h"
#include "readme_pages.h"
#include "resource.h"
#include "win_system.h"
#include "setup_ini_keys.h"

namespace setup {

namespace {

class ReadmeWindow {
public:
    explicit ReadmeWindow(SetupApp& app) : app_(app) {}
    ~ReadmeWindow() {
        if (picture_) DeleteObject(picture_);
    }
    ReadmeWindow(const ReadmeWindow&) = delete;
    ReadmeWindow& operator=(const ReadmeWindow&) = delete;

    int Show(HWND owner) {
        return static_cast<int>(DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_README), owner,
                                                DialogProcedure<ReadmeWindow>, reinterpret_cast<LPARAM>(this)));
    }

    INT_PTR Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
        if (PaintFromPicture(hwnd, message, picture_)) return TRUE;
        switch (message) {
        case WM_INITDIALOG:
            hwnd_ = hwnd;
            Initialise();
            return FALSE;
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }

private:

    void Initialise() {
        PrivateProfileFile& ini = app_.ini();
        const std::wstring name = app_.ProductName();
        if (!name.empty()) SetWindowTextW(hwnd_, name.c_str());
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(app_.smallIcon));
        FitScreen();
        if (app_.language == Language::English)
            for (const ControlCaption& caption : EnglishCaptions())
                SetDlgItemTextW(hwnd_, caption.control, caption.text);
        agreement_ = Read(ini, keys::kAgree) != 0;

        const std::wstring file = Read(ini, keys::kReadmeFile);
        if (EqualNoCase(file, kSpecialReadme)) {
            InitialisePages();
            return;
        }
        const auto text = ReadText(file);
        HWND edit = GetDlgItem(hwnd_, IDC_README_TEXT);
        const int tabStop = 16;
        SendMessageW(edit, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
        settingText_ = true;
        SetWindowTextW(edit, text ? text->c_str() : L"");
        settingText_ = false;
        SendMessageW(edit, EM_SETSEL, 0, 0);
        if (agreement_ && text) {
            ShowButton(IDC_PAGE1, app_.texts->agree);
            ShowButton(IDC_PAGE2, app_.texts->refuse);
        } else if (!agreement_) {
            RECT client;
            GetClientRect(hwnd_, &client);
            MoveWindow(edit, 0, 0, client.right, client.bottom, FALSE);
        }
        SetFocus(edit);
    }

    // Painted pages instead of the text: a black picture of the client area's size, painted page by
    // page; the first page is the installer state's.
    void InitialisePages() {
        ShowWindow(GetDlgItem(hwnd_, IDC_README_TEXT), SW_HIDE);
        RECT client;
        GetClientRect(hwnd_, &client);
        picture_ = MakeBlackPicture(client.right, client.bottom);
        lines_ = ReadReadmeLines(app_.ini());
        if (agreement_) {
            ShowButton(IDC_PAGE1, app_.texts->agree);
            ShowButton(IDC_PAGE2, app_.texts->refuse);
        } else {
            ShowWindow(GetDlgItem(hwnd_, IDC_END_README), SW_SHOW);
        }
        ShowPage(app_.readmePage);
        SetFocus(GetDlgItem(hwnd_, agreement_ ? IDC_PAGE2 : IDC_END_README));
    }

    void ShowPage(const std::wstring& id) {
        const size_t start = PageStart(lines_, id);
        SetPageButtons(lines_, start, buttons_);
        // In agreement mode the left and middle buttons agree and refuse; only the right one pages.
        for (size_t i = agreement_ ? 2 : 0; i < buttons_.size(); ++i) {
            HWND button = GetDlgItem(hwnd_, kPageButtons[i]);
            SetWindowTextW(button, buttons_[i].caption.c_str());
            ShowWindow(button, IsNoPage(buttons_[i].target) ? SW_HIDE : SW_SHOW);
        }
        if (!IsWindowVisible(GetFocus())) SetFocus(GetDlgItem(hwnd_, agreement_ ? IDC_PAGE2 : IDC_END_README));
        PaintPicture(picture_, WindowDpi(hwnd_), Read(app_.ini(), keys::kRootNamed), app_.system, lines_, start);
        InvalidateRect(hwnd_, nullptr, FALSE);
    }

    // No larger than the screen.
    void FitScreen() {
        RECT r;
        GetWindowRect(hwnd_, &r);
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        if (r.right - r.left > width) r.left = 0, r.right = width;
        if (r.bottom - r.top > height) r.top = 0, r.bottom = height;
        MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }

    // The readme file's text (ANSI code page); tried beside the program when not in the install folder.
    // A file too long to be shown whole is shown up to a line and says so.
    std::optional<std::wstring> ReadText(const std::wstring& file) {
        if (file.empty()) return std::nullopt;
        const std::wstring root = Read(app_.ini(), keys::kRootNamed);
        const auto resolved = ResolvePath(file, root, PathMode::Plain, app_.system);
        for (const std::wstring& path : {resolved.value_or(L""), LeafName(file)}) {
            if (path.empty()) continue;
            const auto head = ReadFileHead(path, kMaxReadmeBytes + 1);
            if (!head) continue;
            bool cut = false;
            const std::wstring text = WideFromAnsi(ReadmeShown(*head, cut));
            return cut ? text + app_.texts->readmeCut : text;
        }
        return std::nullopt;
    }

    void ShowButton(int id, const wchar_t* caption) {
        SetDlgItemTextW(hwnd_, id, caption);
        ShowWindow(GetDlgItem(hwnd_, id), SW_SHOW);
    }

    void Command(int id, int code) {
        if (id == IDC_README_TEXT) {
            if (code == EN_CHANGE && !settingText_ && !agreement_) EndDialog(hwnd_, 1);
            return;
        }
        for (size_t i = agreement_ ? 2 : 0; i < buttons_.size(); ++i) {
            if (id == kPageButtons[i] && picture_) {
                ShowPage(buttons_[i].target);
                return;
            }
        }
        if (agreement_) {
            if (id == IDC_PAGE1) EndDialog(hwnd_, 1);
            else if (id == IDC_PAGE2 || id == IDCANCEL) EndDialog(hwnd_, 0);
            return;
        }
        if (id == IDOK || id == IDCANCEL || id == IDC_END_README) EndDialog(hwnd_, 1);
    }

    static constexpr int kPageButtons[] = {IDC_PAGE1, IDC_PAGE2, IDC_PAGE3};

    SetupApp& app_;
    HWND hwnd_ = nullptr;
    bool agreement_ = false;
    bool settingText_ = false;
    // Painted pages.
    HBITMAP picture_ = nullptr;
    std::vector<std::wstring> lines_;
    PageButtons buttons_;
};

}  // namespace

int ShowReadme(HWND owner, SetupApp& app) { return ReadmeWindow(app).Show(owner); }

}  // namespace setup
