#include "library_record.h"

#include <algorithm>

namespace zep {
namespace {

uint32_t ReadLittle(std::string_view bytes, size_t offset, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        if (offset + i < bytes.size())
            value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

}  // namespace

RouterInformation ReadRouterInformation(std::string_view record) {
    return {ReadLittle(record, kRecordRouterAddress, 4), ReadLittle(record, kRecordFirmware, 4)};
}

int BufferCurrentDestination(std::string_view record) {
    return static_cast<int>(ReadLittle(record, kRecordCurrentDestination, 2));
}

DestinationList DestinationsFromBuffer(std::string_view record) {
    DestinationList list{};
    for (size_t i = 0; i < list.size(); ++i) {
        list[i].usable = ReadLittle(record, kRecordUsable + 2 * i, 2) != 0;
        const size_t offset = kRecordNames + kRecordNameSize * i;
        if (offset >= record.size()) continue;
        const std::string_view field = record.substr(offset, kRecordNameSize);  // 40 bytes, 0 when shorter
        list[i].caption = std::string(field.substr(0, std::min(field.find('\0'), field.size())));
    }
    return list;
}

}  // namespace zep
