// How a scan's outcome is applied to the port list, the presence lamp and
// RETEST, row by row over a scripted device list; and REFRESH COM.
#include "discovery/UnitPortSearch.h"
#include "tests/station/StationFixture.h"

namespace {

const PresentDevice kUnit {{kUnitHardwareId}, "ttyACM0", false};
const PresentDevice kUnitWithoutPort {{kUnitHardwareId}, "", false};
const PresentDevice kOther {{"USB\\VID_0403&PID_6001&REV_0600&MI_00"}, "ttyUSB0", false};

class Discovery : public StationFixture {
protected:
    void StartSearching() { Start(StationOptions {}); }
};

TEST_F(Discovery, StartUpWithoutUnitShowsRed)
{
    devices.devices = std::vector<PresentDevice> {kOther};
    StartSearching();
    EXPECT_EQ(window.PortCount(), 0);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::RedDisc);
    EXPECT_EQ(station->DevicePresent, 0);
    EXPECT_EQ(station->DiscoveryStarted, 1);
}

TEST_F(Discovery, StartUpWithUnitListsItGreen)
{
    devices.devices = std::vector<PresentDevice> {kOther, kUnit};
    StartSearching();
    EXPECT_EQ(window.ports, (std::vector<std::string> {"ttyACM0"}));
    EXPECT_EQ(window.selectedPort, 0);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::GreenDisc);
    EXPECT_EQ(station->DevicePresent, 1);
}

TEST_F(Discovery, StartUpWithUnitWithoutPortChangesNothing)
{
    devices.devices = std::vector<PresentDevice> {kUnitWithoutPort};
    StartSearching();
    EXPECT_EQ(window.PortCount(), 0);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::None);
    EXPECT_EQ(station->DevicePresent, 0);
    EXPECT_EQ(station->DiscoveryStarted, 1);
}

TEST_F(Discovery, NoDeviceSetAtStartUpLeavesTheNextScanAStartUpScan)
{
    devices.devices = std::nullopt;
    StartSearching();
    EXPECT_EQ(station->DiscoveryStarted, 0);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::None);
    // A removal event is then applied like the start-up scan.
    devices.devices = std::vector<PresentDevice> {};
    station->OnDeviceChange(PortEvent::Removal);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::RedDisc);
    EXPECT_EQ(station->DiscoveryStarted, 1);
}

TEST_F(Discovery, ArrivalRows)
{
    StartSearching();
    window.events.clear();
    devices.devices = std::vector<PresentDevice> {kOther};
    station->OnDeviceChange(PortEvent::Arrival);  // not found: nothing
    EXPECT_TRUE(window.events.empty());

    devices.devices = std::vector<PresentDevice> {kUnitWithoutPort};
    station->DevicePresent = 1;
    station->OnDeviceChange(PortEvent::Arrival);  // found without port: only the flag
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(station->DevicePresent, 0);

    devices.devices = std::vector<PresentDevice> {kUnit};
    station->OnDeviceChange(PortEvent::Arrival);
    EXPECT_EQ(window.ports, (std::vector<std::string> {"ttyACM0"}));
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::GreenDisc);
    EXPECT_EQ(station->DevicePresent, 1);
}

TEST_F(Discovery, RemovalRows)
{
    devices.devices = std::vector<PresentDevice> {kUnit};
    StartSearching();
    window.SetText(ctl::kImeiBox, "867400012345678");
    window.events.clear();

    devices.devices = std::vector<PresentDevice> {kUnit};
    station->OnDeviceChange(PortEvent::Removal);  // unit still there: nothing
    EXPECT_TRUE(window.events.empty());

    devices.devices = std::vector<PresentDevice> {};
    station->OnDeviceChange(PortEvent::Removal);  // the listed unit went: unlist and RETEST
    EXPECT_EQ(window.PortCount(), 0);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::RedDisc);
    EXPECT_EQ(window.Text(ctl::kImeiBox), "");
    EXPECT_EQ(station->DevicePresent, 0);

    window.events.clear();
    station->OnDeviceChange(PortEvent::Removal);  // already unlisted: nothing
    EXPECT_TRUE(window.events.empty());
}

TEST_F(Discovery, RemovalRunsRetestEvenWhenRetestOnlyWarns)
{
    WriteProfile("[Station]\nUSEMDB=YES\n");
    devices.devices = std::vector<PresentDevice> {kUnit};
    StartSearching();
    window.SetText(ctl::kImeiBox, "867400012345678");
    devices.devices = std::vector<PresentDevice> {};
    station->OnDeviceChange(PortEvent::Removal);
    EXPECT_EQ(window.PortCount(), 0);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "Need Test Finish before Restart");
    EXPECT_EQ(window.Text(ctl::kImeiBox), "867400012345678");
}

TEST_F(Discovery, OtherNotificationsAreIgnored)
{
    devices.devices = std::vector<PresentDevice> {kUnit};
    StartSearching();
    devices.devices = std::vector<PresentDevice> {};
    window.events.clear();
    station->OnDeviceChange(PortEvent::Other);
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(window.PortCount(), 1);
}

TEST_F(Discovery, GivenPortWinsOverTheSearch)
{
    devices.devices = std::vector<PresentDevice> {kUnit};
    Start();  // with --port
    EXPECT_EQ(window.ports, (std::vector<std::string> {kUnitPort}));
    devices.devices = std::vector<PresentDevice> {};
    station->OnDeviceChange(PortEvent::Removal);
    EXPECT_EQ(window.ports, (std::vector<std::string> {kUnitPort}));
}

TEST_F(Discovery, RefreshComListsOpenablePortsAndSelectsTheFirst)
{
    StartSearching();
    probe.ports = {"ttyACM0", "ttyS0", "ttyUSB1"};
    AtPort = ScriptedSerial::kHandle;
    station->OnCommand(ctl::kRefreshCom);
    EXPECT_EQ(AtPort, 0);  // the AT port was closed first
    EXPECT_EQ(window.ports, probe.ports);
    EXPECT_EQ(window.selectedPort, 0);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "REFRESH COM OK!");
    EXPECT_EQ(window.boxes[0].caption, "PROMPT");
    EXPECT_EQ(window.boxes[0].icon, BoxIcon::None);
    EXPECT_EQ(station->DevicePresent, 0);
}

TEST_F(Discovery, RefreshComWithoutPorts)
{
    devices.devices = std::vector<PresentDevice> {kUnit};
    StartSearching();
    window.events.clear();
    station->OnRefreshCom();
    EXPECT_EQ(window.PortCount(), 0);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, "NO COM CONNECTED!");
    EXPECT_EQ(window.boxes[0].caption, "WARNING");
    EXPECT_EQ(window.boxes[0].icon, BoxIcon::Warning);
    // The presence lamp and flag stay as discovery left them.
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::GreenDisc);
    EXPECT_EQ(station->DevicePresent, 1);
}

}  // namespace
