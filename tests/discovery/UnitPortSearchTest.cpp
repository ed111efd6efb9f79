// Finding the unit among present devices, and the port name of a friendly name.
#include <gtest/gtest.h>

#include "discovery/UnitPortSearch.h"

namespace {

using Outcome = UnitSearchResult::Outcome;

PresentDevice Device(std::string id, std::string port = "ttyACM0")
{
    return {{std::move(id)}, std::move(port), false};
}

TEST(FindUnitPort, MatchesTheUnitsInterfaceInAnyLetterCase)
{
    const auto lower = FindUnitPort({Device("usb\\vid_1286&pid_4e31&rev_0100&mi_04")});
    EXPECT_EQ(lower.outcome, Outcome::FoundWithPort);
    EXPECT_EQ(lower.portName, "ttyACM0");
    EXPECT_EQ(FindUnitPort({Device(kUnitHardwareId)}).outcome, Outcome::FoundWithPort);
}

TEST(FindUnitPort, OtherInterfaceOrRevisionDoesNotMatch)
{
    EXPECT_EQ(FindUnitPort({Device("USB\\VID_1286&PID_4E31&REV_0100&MI_02")}).outcome, Outcome::NotFound);
    EXPECT_EQ(FindUnitPort({Device("USB\\VID_1286&PID_4E31&REV_0200&MI_04")}).outcome, Outcome::NotFound);
    EXPECT_EQ(FindUnitPort({Device("USB\\VID_1286&PID_4E31&MI_04")}).outcome, Outcome::NotFound);
    EXPECT_EQ(FindUnitPort({Device("USB\\VID_1286&PID_4E31&REV_0100&MI_04&X")}).outcome, Outcome::NotFound);
}

TEST(FindUnitPort, FirstMatchWinsAndAnyOfItsIdsCounts)
{
    PresentDevice twoIds {{"USB\\VID_1286&PID_4E31&MI_04", kUnitHardwareId}, "ttyACM3", false};
    const auto found = FindUnitPort({Device("USB\\VID_0000&PID_0000&REV_0000&MI_00"), twoIds, Device(kUnitHardwareId)});
    EXPECT_EQ(found.portName, "ttyACM3");
}

TEST(FindUnitPort, MatchWithoutPortName)
{
    EXPECT_EQ(FindUnitPort({Device(kUnitHardwareId, "")}).outcome, Outcome::FoundNoPort);
}

TEST(FindUnitPort, ReadErrorEndsTheSearchAsNotFound)
{
    PresentDevice broken {{}, "", true};
    EXPECT_EQ(FindUnitPort({broken, Device(kUnitHardwareId)}).outcome, Outcome::NotFound);
    EXPECT_EQ(FindUnitPort({}).outcome, Outcome::NotFound);
}

TEST(FindUnitPort, WithAPortPathOnlyTheUnitAtThatPortCounts)
{
    PresentDevice elsewhere {{kUnitHardwareId}, "ttyACM0", false, "pci-0000:00:14.0-usb-0:1"};
    PresentDevice here {{kUnitHardwareId}, "ttyACM1", false, "pci-0000:00:14.0-usb-0:2"};
    PresentDevice unknown {{kUnitHardwareId}, "ttyACM2", false, ""};
    EXPECT_EQ(FindUnitPort({elsewhere, unknown, here}, here.portPath).portName, "ttyACM1");
    EXPECT_EQ(FindUnitPort({elsewhere, unknown}, here.portPath).outcome, Outcome::NotFound);
    EXPECT_EQ(FindUnitPort({unknown}, "").outcome, Outcome::NotFound);
    EXPECT_EQ(FindUnitPort({elsewhere, here}).portName, "ttyACM0");
    EXPECT_EQ(AttachedUnits({elsewhere, Device("USB\\VID_0403&PID_6001"), here}).size(), 2u);
}

TEST(ComPortFromFriendlyName, CutsTheNameAtItsParenthesis)
{
    EXPECT_EQ(ComPortFromFriendlyName("Unit AT Port (COM7)"), "COM7");
    EXPECT_EQ(ComPortFromFriendlyName("Unit AT Port (COM12)"), "COM12");
    EXPECT_EQ(ComPortFromFriendlyName("Unit AT Port (COM123)"), "COM123");
    EXPECT_EQ(ComPortFromFriendlyName("Unit AT Port (COM1234)"), "COM1234)");
    EXPECT_EQ(ComPortFromFriendlyName("Unit AT Port COM5"), "COM5");
    EXPECT_EQ(ComPortFromFriendlyName("Unit AT Port"), std::nullopt);
    EXPECT_EQ(ComPortFromFriendlyName(std::string(45, 'x') + "(COM7)"), std::nullopt);  // longer than its buffer
    EXPECT_EQ(ComPortFromFriendlyName(std::string(43, 'x') + "(COM7)"), "COM7");
}

}  // namespace
