#include "room_check.h"

#include "paths.h"
#include "setup_ini_keys.h"

namespace setup {

std::vector<PlannedFile> PlannedFiles(Profile& ini, System& system, const CopyJob& job) {
    std::vector<PlannedFile> planned;
    for (const std::wstring& text : Read(ini, keys::kCopyFiles)) {
        const CopyEntry entry = ParseCopyEntry(text);
        if (const auto target = ResolvePath(entry.path, job.installFolder, PathMode::Plain, system))
            planned.push_back({JoinPath(job.sourceFolder, entry.path), *target});
    }
    const std::wstring self = Read(ini, keys::kCopySelf);
    if (job.copyChecked && !self.empty())
        planned.push_back({JoinPath(job.sourceFolder, self), JoinPath(job.installFolder, LeafName(self))});
    return planned;
}

uint64_t RoomNeeded(const std::vector<FileSizes>& files) {
    uint64_t needed = 0;
    for (const FileSizes& file : files) {
        const uint64_t size = file.source.value_or(0);
        const uint64_t freed = file.target.value_or(0);
        if (size > freed) needed += size - freed;
    }
    return needed;
}

namespace {

std::wstring KiloBytes(uint64_t bytes) { return std::to_wstring((bytes + 1023) / 1024) + L" KB"; }

}  // namespace

std::wstring NoRoomMessage(const Texts& texts, const std::wstring& folder, uint64_t needed, uint64_t available) {
    return texts.driveTooFull + folder + texts.roomNeeded + KiloBytes(needed) + texts.roomFree + KiloBytes(available) +
           texts.nothingCopied;
}

}  // namespace setup
