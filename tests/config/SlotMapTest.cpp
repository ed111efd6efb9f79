// [Slots] of the station profile: slot numbers to USB port paths.
#include <gtest/gtest.h>

#include "config/IniFile.h"
#include "config/SlotMap.h"

namespace {

SlotMap Read(std::string_view text)
{
    return ReadSlotMap(IniFile::FromText(text));
}

TEST(SlotMap, SlotsNamePortsAndGapsStayEmpty)
{
    const SlotMap map = Read("[slots]\nSLOT1 = pci-0000:00:14.0-usb-0:2.1\nslot3=platform-xhci-hcd.0.auto-usb-0:1.4\n"
                             "SLOT9=pci-0000:00:14.0-usb-0:9\n");
    EXPECT_EQ(map.error, "");
    EXPECT_EQ(map.PathOf(1), "pci-0000:00:14.0-usb-0:2.1");
    EXPECT_EQ(map.PathOf(2), "");
    EXPECT_EQ(map.PathOf(3), "platform-xhci-hcd.0.auto-usb-0:1.4");
    EXPECT_EQ(map.PathOf(9), "");  // only SLOT1..SLOT8 exist
    EXPECT_EQ(map.Configured(), (std::vector<int> {1, 3}));
    EXPECT_EQ(map.SlotOf("pci-0000:00:14.0-usb-0:2.1"), 1);
    EXPECT_EQ(map.SlotOf("pci-0000:00:14.0-usb-0:2.2"), 0);
    EXPECT_EQ(map.SlotOf(""), 0);
}

TEST(SlotMap, NoSectionMeansNoSlots)
{
    const SlotMap map = Read("[Station]\nUSEMDB=YES\n");
    EXPECT_EQ(map.error, "");
    EXPECT_TRUE(map.Configured().empty());
}

TEST(SlotMap, MalformedValueStopsWithOneLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"[Slots]\nSLOT2=/dev/ttyACM0\n",
         "[Slots] SLOT2 is not a USB port path like pci-0000:00:14.0-usb-0:2.3: '/dev/ttyACM0'"},
        {"[Slots]\nSLOT1=pci-0000:00:14.0-usb-0:2 1\n",
         "[Slots] SLOT1 is not a USB port path like pci-0000:00:14.0-usb-0:2.3: 'pci-0000:00:14.0-usb-0:2 1'"},
        {"[Slots]\nSLOT4=pci-0000:00:1f.2-ata-1\n",
         "[Slots] SLOT4 is not a USB port path like pci-0000:00:14.0-usb-0:2.3: 'pci-0000:00:1f.2-ata-1'"},
        {"[Slots]\nSLOT1=pci-0000:00:14.0-usb-0:2\nSLOT5=pci-0000:00:14.0-usb-0:2\n",
         "[Slots] SLOT5 names the port of SLOT1: pci-0000:00:14.0-usb-0:2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Read(c.text).error, c.error) << c.text;
}

TEST(SlotMap, SlotNumbersRunFromOneToEight)
{
    for (const int slot : {1, 8})
        EXPECT_TRUE(IsSlotNumber(slot)) << slot;
    for (const int slot : {-1, 0, 9})
        EXPECT_FALSE(IsSlotNumber(slot)) << slot;
}

}  // namespace
