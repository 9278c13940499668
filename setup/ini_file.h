// A Setup.ini through the system's private-profile functions. The file stays in the ANSI code page
// (an author's Shift-JIS file reads and writes as before); the program sees wide text.
#pragma once
#include <string>
#include <vector>

#include "profile.h"

namespace setup {

class PrivateProfileFile : public Profile {
public:
    explicit PrivateProfileFile(std::wstring path) : path_(std::move(path)) {}
    const std::wstring& path() const { return path_; }

    std::wstring Read(const std::wstring& section, const std::wstring& key, const std::wstring& fallback,
                      size_t bufferChars) override;
    int ReadInt(const std::wstring& section, const std::wstring& key, int fallback) override;
    std::vector<std::wstring> ReadSectionLines(const std::wstring& section) override;
    void Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) override;
    void WriteSection(const std::wstring& section,
                      const std::vector<std::pair<std::wstring, std::wstring>>& entries) override;
    void Flush() override;

private:
    std::wstring path_;
};

// The Setup.ini that a run reads and writes: the one beside the program, or, when that cannot be
// written (a distribution on a CD or a write-protected share), a copy of it in a private temporary
// folder, so that the record of what the run makes is kept and reaches the install folder.
class WorkingIni {
public:
    explicit WorkingIni(const std::wstring& besideProgram);
    ~WorkingIni();
    WorkingIni(const WorkingIni&) = delete;
    WorkingIni& operator=(const WorkingIni&) = delete;

    PrivateProfileFile& file() { return file_; }
    bool isCopy() const { return !privateFolder_.empty(); }

private:
    std::wstring privateFolder_;
    PrivateProfileFile file_;
};

}  // namespace setup
