// The free registry entries of a distribution: Reg "Make" lines written at installation and
// "Erase" lines deleted at removal.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "registry.h"
#include "system.h"

namespace setup {

// The data of a Make line: what is written, or where it is read from.
struct RegData {
    enum class Kind { None, String, Dword, Binary, StringFromFile, BinaryFromFile };
    Kind kind = Kind::None;
    std::wstring text;            // String; the file for the *FromFile kinds
    uint32_t dword = 0;
    std::vector<uint8_t> bytes;   // Binary
};

// "#B" hex, "#D" decimal, "#H" hex, "#S" escapes, "#F"/"#T" files, "##" for a leading "#", else a
// path value resolved in program mode (the text itself when that resolves to nothing).
RegData DecodeRegData(const std::wstring& data, const std::wstring& installFolder, System& system);

// Reads a file for the *FromFile data kinds (as written, relative to the current folder); empty
// when it cannot be read. Text is in the ANSI code page.
class FileReader {
public:
    virtual ~FileReader() = default;
    virtual std::vector<uint8_t> ReadBytes(const std::wstring& path) = 0;
    virtual std::wstring ReadText(const std::wstring& path) = 0;
};

// One Make line: root, key path, "\\", value name, "\", data. The keys are made as the line goes;
// a line ending in "\" only makes them.
void MakeRegEntry(Registry& registry, System& system, FileReader& files, const std::wstring& line,
                  const std::wstring& installFolder);

// One Erase line (a key or a value): deleted, then every ancestor it leaves empty.
void EraseRegEntry(Registry& registry, const std::wstring& line);

}  // namespace setup
