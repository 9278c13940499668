// The yardstick of the setup benchmark: the least a program does to copy a folder's files into
// another folder, one CopyFileW after another.
//
//     copy_loop.exe <source folder> <target folder>
//
// Makes the target folder, copies every file of the source folder (not its sub-folders) into it,
// overwriting, and prints the number of files copied and the milliseconds the copying took.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: copy_loop <source folder> <target folder>\n", stderr);
        return 2;
    }
    const std::wstring source = argv[1], target = argv[2];
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    CreateDirectoryW(target.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((source + L"\\*").c_str(), &found);
    unsigned copied = 0, failed = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const std::wstring name = found.cFileName;
            if (CopyFileW((source + L"\\" + name).c_str(), (target + L"\\" + name).c_str(), FALSE)) ++copied;
            else ++failed;
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    QueryPerformanceCounter(&end);
    std::printf("%u files copied, %u failed, %.1f ms\n", copied, failed,
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    return failed == 0 ? 0 : 1;
}
