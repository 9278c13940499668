// The installer's settings file as the system's private-profile functions see it.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace setup {

// Sections and keys compare without regard to case. A value longer than the reader's buffer is
// cut to the buffer (less its terminating zero). Writes that fail are not reported: setup carries
// on with what it holds.
class Profile {
public:
    virtual ~Profile() = default;
    virtual std::wstring Read(const std::wstring& section, const std::wstring& key, const std::wstring& fallback,
                              size_t bufferChars) = 0;
    // As the system reads integers: absent or empty gives the fallback.
    virtual int ReadInt(const std::wstring& section, const std::wstring& key, int fallback) = 0;
    // The lines of a section as the system gives them ("key=value"), in the file's order.
    virtual std::vector<std::wstring> ReadSectionLines(const std::wstring& section) = 0;
    virtual void Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) = 0;
    // The whole section at once (one rewrite of the file, where a Write per key rewrites it per key):
    // these keys and values in this order replace whatever the section held.
    virtual void WriteSection(const std::wstring& section,
                              const std::vector<std::pair<std::wstring, std::wstring>>& entries) = 0;
    virtual void Flush() = 0;
};

constexpr size_t kPathChars = 260;        // the settings' usual value buffer
constexpr size_t kLongValueChars = 4096;  // for values that must not be cut

// What an absurd Setup.ini can make setup read, so that it neither hangs nor runs out of memory: a
// list has at most kMaxListEntries entries, a record at most kMaxRecordEntries (a larger Count is
// damage, not entries).
constexpr int kMaxListEntries = 10000;
constexpr int kMaxRecordEntries = 100000;

// The values of a section read once, whole (reading a key searches the whole file: a list read key
// by key costs time that grows with the square of its length), each as a read of its key gives it:
// without blanks around it or the quotes that enclose it; the first of a key written twice.
class SectionValues {
public:
    SectionValues(Profile& ini, const std::wstring& section);
    // "" when absent; cut to the buffer (less its terminating zero).
    std::wstring Get(const std::wstring& key, size_t bufferChars) const;

private:
    std::map<std::wstring, std::wstring> values_;  // by folded key
};

// A numbered list: keys first, first + 1, ... (each named prefix + index) up to the first absent or
// empty one, kMaxListEntries at most; `cut` (when given) tells whether entries were left unread. The
// section is read once, whole (SectionValues).
std::vector<std::wstring> ReadList(Profile& ini, const std::wstring& section, int first = 0,
                                   const std::wstring& prefix = L"", size_t bufferChars = kPathChars,
                                   bool* cut = nullptr);

}  // namespace setup
