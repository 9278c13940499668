#include "destinations.h"

#include "paths.h"

namespace zep {

std::string DestinationFilePath(const std::string& toolPath) { return WithExtension(toolPath, ".txt"); }

DestinationList DestinationsFromFile(std::string_view bytes) {
    DestinationList list{};
    size_t at = 0;
    for (Destination& d : list) {
        if (at >= bytes.size()) break;  // no more lines: unusable and unnamed
        size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(at, end - at);
        d.usable = !line.empty() && line[0] == '1';
        d.caption = line.size() > 2 ? std::string(line.substr(2)) : std::string();
        at = end;
        if (at < bytes.size() && bytes[at] == '\r') ++at;
        if (at < bytes.size() && bytes[at] == '\n') ++at;
    }
    return list;
}

}  // namespace zep
