// The router's four connection destinations as the tool's destination file or the library's
// record names them.
#pragma once
#include <array>
#include <string>
#include <string_view>

namespace zep {

struct Destination {
    std::string caption;  // ANSI
    bool usable = false;
};
using DestinationList = std::array<Destination, 4>;

// The tool's destination file: its path with the extension replaced by ".txt".
std::string DestinationFilePath(const std::string& toolPath);

// Lines 1 to 4 of the destination file: "1" first when usable, a character that is skipped, then
// the name. Missing lines (a short or missing file) give unusable destinations without a name.
DestinationList DestinationsFromFile(std::string_view bytes);

}  // namespace zep
