#include "record_journal.h"

#include <vector>

namespace setup {

std::wstring JournalFile::Read() {
    HANDLE h = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return L"";
    LARGE_INTEGER size{};
    std::string bytes;
    DWORD read = 0;
    // A journal is a few hundred bytes a file; anything beyond 64 MiB is not one of ours.
    if (GetFileSizeEx(h, &size) && size.QuadPart > 0 && size.QuadPart < (64 << 20)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        if (!ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
        bytes.resize(read);
    }
    CloseHandle(h);
    if (bytes.empty()) return L"";
    std::wstring text(bytes.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                      static_cast<int>(text.size()));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

bool JournalFile::Append(const std::wstring& lines) {
    if (file_ == INVALID_HANDLE_VALUE) {
        // Appending only: every write lands after what is there, what earlier runs left included.
        file_ = CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) return false;
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) return false;
    std::vector<char> bytes(static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    return WriteFile(file_, bytes.data(), static_cast<DWORD>(size), &written, nullptr) &&
           written == static_cast<DWORD>(size);
}

void JournalFile::Sync() {
    if (file_ != INVALID_HANDLE_VALUE) FlushFileBuffers(file_);
}

void JournalFile::Remove() {
    Close();
    DeleteFileW(path_.c_str());
}

void JournalFile::Close() {
    if (file_ == INVALID_HANDLE_VALUE) return;
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

}  // namespace setup
