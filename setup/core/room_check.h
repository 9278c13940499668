// Whether the install folder's drive has room for the files of an installation, checked before
// anything is copied.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "file_copy.h"
#include "profile.h"
#include "system.h"
#include "texts.h"

namespace setup {

struct PlannedFile {
    std::wstring source, target;
};

// What the copying step of `job` will copy: the CopyFile entries and, when the Copy box is
// checked, the package itself.
std::vector<PlannedFile> PlannedFiles(Profile& ini, System& system, const CopyJob& job);

struct FileSizes {
    std::optional<uint64_t> source;  // none: missing (it will fail to copy and take no room)
    std::optional<uint64_t> target;  // none: no file there yet
};

// The room the copy takes: each file's size, less that of the file it replaces.
uint64_t RoomNeeded(const std::vector<FileSizes>& files);

// The message when `needed` bytes do not fit in the `available` ones, in KB rounded up.
std::wstring NoRoomMessage(const Texts& texts, const std::wstring& folder, uint64_t needed, uint64_t available);

}  // namespace setup
