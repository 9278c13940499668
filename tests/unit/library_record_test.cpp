#include "library_record.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(LibraryBuffer, FieldsAtTheirOffsetsAndShortBuffersReadAsZero) {
    std::string buffer(10240, '\0');
    buffer[64] = 2;  // destination 3, counted from 0
    buffer[68] = 1;
    buffer[74 + 1] = 1;  // high byte of destination 4's word
    buffer.replace(76, 4, "Home");
    std::string forty(40, 'x');  // a name that fills its field has no end byte
    buffer.replace(76 + 40 * 3, 40, forty);
    EXPECT_EQ(BufferCurrentDestination(buffer), 2);
    DestinationList d = DestinationsFromBuffer(buffer);
    EXPECT_EQ(d[0].caption, "Home");
    EXPECT_TRUE(d[0].usable);
    EXPECT_FALSE(d[1].usable);
    EXPECT_TRUE(d[3].usable);
    EXPECT_EQ(d[3].caption, forty);
    EXPECT_EQ(BufferCurrentDestination(""), 0);
    EXPECT_FALSE(DestinationsFromBuffer(buffer.substr(0, 70))[0].caption.size());
}

TEST(LibraryBuffer, RouterAddressAndFirmwareOfTheInformationCall) {
    std::string record(kLibraryRecordSize, '\0');
    record.replace(0, 4, "\xFE\x00\x00\x0A", 4);   // 10.0.0.254, least significant byte first
    record.replace(48, 4, "\x1A\x00\x02\x00", 4);  // 2.001A
    const RouterInformation router = ReadRouterInformation(record);
    EXPECT_EQ(router.address, 0x0A0000FEu);
    EXPECT_EQ(router.firmware, 0x0002001Au);
    EXPECT_EQ(ReadRouterInformation("").firmware, 0u);
}

}  // namespace
}  // namespace zep
