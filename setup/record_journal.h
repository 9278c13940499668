// The journal of the install record as a file beside the Setup.ini it belongs to.
#pragma once
#include <windows.h>

#include <string>

#include "install_record.h"

namespace setup {

// "<Setup.ini>.journal": UTF-8 lines, opened at the first line appended and kept open for the rest.
class JournalFile : public RecordJournal {
public:
    explicit JournalFile(const std::wstring& iniPath) : path_(iniPath + L".journal") {}
    ~JournalFile() override { Close(); }
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    std::wstring Read() override;
    bool Append(const std::wstring& lines) override;
    void Sync() override;
    void Remove() override;

private:
    void Close();

    std::wstring path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace setup
