#include "reg_entries.h"

#include "case_fold.h"
#include "paths.h"

namespace setup {

namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return 0;  // anything else counts as 0
}

std::wstring Unescaped(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (FoldCase(text[i + 1])) {
        case L'n': out += L'\n'; ++i; break;
        case L'r': out += L'\r'; ++i; break;
        case L't': out += L'\t'; ++i; break;
        case L'\\': out += L'\\'; ++i; break;
        default: out += L'\\';  // kept; the next character follows it
        }
    }
    return out;
}

}  // namespace

RegData DecodeRegData(const std::wstring& data, const std::wstring& installFolder, System& system) {
    RegData out;
    if (data.empty() || data[0] != L'#' || (data.size() > 1 && data[1] == L'#')) {
        const std::wstring value = data.empty() || data[0] != L'#' ? data : data.substr(1);
        out.kind = RegData::Kind::String;
        const auto resolved = value.empty() ? std::nullopt
                                            : ResolvePath(value, installFolder, PathMode::Program, system);
        out.text = resolved && !resolved->empty() ? *resolved : value;
        return out;
    }
    const std::wstring rest = data.size() > 2 ? data.substr(2) : L"";
    switch (data.size() > 1 ? FoldCase(data[1]) : L'\0') {
    case L'b':
        out.kind = RegData::Kind::Binary;
        for (size_t i = 0; i + 1 < rest.size() && out.bytes.size() < 4096; i += 2)
            out.bytes.push_back(static_cast<uint8_t>(HexDigit(rest[i]) * 16 + HexDigit(rest[i + 1])));
        break;
    case L'd':
        out.kind = RegData::Kind::Dword;
        // The whole unsigned range ("#D4294967295" is 0xFFFFFFFF); a minus sign counts back from 2^32.
        out.dword = static_cast<uint32_t>(LeadingInt(rest, 0xffffffffLL));
        break;
    case L'h':
        out.kind = RegData::Kind::Dword;
        for (wchar_t c : rest) out.dword = out.dword * 16 + static_cast<uint32_t>(HexDigit(c));
        break;
    case L's':
        out.kind = RegData::Kind::String;
        out.text = Unescaped(rest);
        break;
    case L'f':
        out.kind = RegData::Kind::BinaryFromFile;
        out.text = rest;
        break;
    case L't':
        out.kind = RegData::Kind::StringFromFile;
        out.text = rest;
        break;
    default:
        break;  // nothing is written
    }
    return out;
}

void MakeRegEntry(Registry& registry, System& system, FileReader& files, const std::wstring& line,
                  const std::wstring& installFolder) {
    const size_t first = line.find(L'\\');
    if (first == std::wstring::npos) return;
    const RegRoot root = RegRootNamed(line.substr(0, first));
    std::wstring key;
    size_t at = first + 1;
    while (at < line.size()) {
        if (line[at] == L'\\') {  // the doubled backslash: value name, "\", data
            const std::wstring valueAndData = line.substr(at + 1);
            const size_t split = valueAndData.find(L'\\');
            if (split == std::wstring::npos) return;
            const std::wstring name = valueAndData.substr(0, split);
            RegData data = DecodeRegData(valueAndData.substr(split + 1), installFolder, system);
            if (data.kind == RegData::Kind::BinaryFromFile) {
                data.kind = RegData::Kind::Binary;
                data.bytes = files.ReadBytes(data.text);
            } else if (data.kind == RegData::Kind::StringFromFile) {
                data.kind = RegData::Kind::String;
                data.text = files.ReadText(data.text);
            }
            switch (data.kind) {
            case RegData::Kind::String: registry.WriteString(root, key, name, data.text); break;
            case RegData::Kind::Dword: registry.WriteDword(root, key, name, data.dword); break;
            case RegData::Kind::Binary: registry.WriteBinary(root, key, name, data.bytes); break;
            default: break;
            }
            return;
        }
        const size_t end = line.find(L'\\', at);
        const std::wstring component = line.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        key = JoinPath(key, component);
        if (!registry.CreateKey(root, key) || end == std::wstring::npos) return;
        at = end + 1;
    }
}

void EraseRegEntry(Registry& registry, const std::wstring& line) {
    const size_t first = line.find(L'\\');
    if (first == std::wstring::npos) return;
    const RegRoot root = RegRootNamed(line.substr(0, first));
    const std::wstring path = line.substr(first + 1);
    if (registry.KeyExists(root, path)) DeleteKeyTree(registry, root, path);
    std::wstring parent = FolderOf(path);
    registry.DeleteValue(root, parent, LeafName(path));
    // Every ancestor the deletion left empty goes too.
    while (!parent.empty()) {
        DeleteKeyIfEmpty(registry, root, parent);
        parent = FolderOf(parent);
    }
}

}  // namespace setup
