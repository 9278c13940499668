// The yardstick of the syslog flood benchmark: the least a Win32 program does that takes the
// router's syslog on UDP port 514 and keeps it as zep does, one line per datagram ("date time,"
// and the datagram) appended to syslog_yyyymm.txt beside the program, the file opened and closed
// for every line. A window of class "SyslogReceiver" gets the socket's notices, so the benchmark
// can time its answers to messages as it does zep's. The socket keeps the system's default
// receive buffer.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT kSocketReady = WM_APP + 1;
SOCKET g_socket = INVALID_SOCKET;
std::string g_folder;

void AppendLine(const char* data, int length) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\syslog_%04d%02d.txt", g_folder.c_str(), t.wYear, t.wMonth);
    char stamp[32];
    const int n = std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d %d:%02d:%02d,", t.wYear, t.wMonth, t.wDay, t.wHour,
                                t.wMinute, t.wSecond);
    std::string line(stamp, static_cast<size_t>(n));
    line.append(data, static_cast<size_t>(length));
    line += "\r\n";
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kSocketReady) {
        // Every datagram that is waiting, then back to the message loop.
        static char buffer[2048];
        for (;;) {
            const int n = recv(g_socket, buffer, sizeof buffer, 0);
            if (n < 0) break;
            AppendLine(buffer, n);
        }
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    g_folder.assign(path, length);
    g_folder.erase(g_folder.rfind('\\'));

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 1;
    g_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(514);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (g_socket == INVALID_SOCKET || bind(g_socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) return 2;

    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"SyslogReceiver";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"syslog receiver", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, instance, nullptr);
    if (!hwnd || WSAAsyncSelect(g_socket, hwnd, kSocketReady, FD_READ) != 0) return 3;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    closesocket(g_socket);
    WSACleanup();
    return 0;
}
