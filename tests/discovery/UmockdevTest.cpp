// Discovery against fake USB devices in a umockdev test bed: the real libudev
// source and monitor, the controller and a recording window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <umockdev.h>

#include "discovery/UdevDeviceSource.h"
#include "link/AtPort.h"
#include "link/StationLog.h"
#include "station/CRuriZudaDlg.h"
#include "station/ControlIds.h"
#include "tests/station/FakeWindow.h"
#include "tests/support/FakeDiscovery.h"
#include "tests/support/TempDir.h"

namespace {

struct UsbIdentity {
    std::string vendor = "1286";
    std::string product = "4e31";
    std::string revision = "0100";
    std::string interface = "04";
};

class UnitPlug : public testing::Test {
protected:
    void SetUp() override
    {
        const char* preload = std::getenv("LD_PRELOAD");
        ASSERT_TRUE(preload && std::strstr(preload, "umockdev")) << "run under umockdev-wrapper";
        bed = umockdev_testbed_new();
    }

    void TearDown() override
    {
        if (station)
            station->OnDestroy();
        station.reset();
        LogClose();
        AtPort = 0;
        g_object_unref(bed);
    }

    // Adds a USB device with one interface and its tty; returns the tty's path.
    std::string Plug(const std::string& tty, const UsbIdentity& id = {})
    {
        const std::string usb = "/devices/pci0000:00/usb1/1-" + std::to_string(++plugged);
        const std::string interface = usb + "/" + "1-" + std::to_string(plugged) + ":1." + id.interface;
        const std::string node = interface + "/tty/" + tty;
        const std::string record = "P: " + usb + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=" + id.vendor +
                                   "\nA: idProduct=" + id.product + "\nA: bcdDevice=" + id.revision + "\n\n" +
                                   "P: " + interface + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n" +
                                   "A: bInterfaceNumber=" + id.interface + "\n\n" + "P: " + node + "\nN: " + tty +
                                   "\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/" + tty + "\n\n";
        GError* error = nullptr;
        EXPECT_TRUE(umockdev_testbed_add_from_string(bed, record.c_str(), &error)) << (error ? error->message : "");
        return "/sys" + node;
    }

    void Announce(const std::string& syspath, const char* action)
    {
        umockdev_testbed_uevent(bed, syspath.c_str(), action);
        // The notification reaches the monitor's socket; the window would call this.
        station->OnDeviceNotification();
    }

    void Unplug(const std::string& syspath)
    {
        umockdev_testbed_uevent(bed, syspath.c_str(), "remove");
        umockdev_testbed_remove_device(bed, syspath.c_str());
        station->OnDeviceNotification();
    }

    void Start()
    {
        StationOptions options;
        options.probe = &probe;
        station = std::make_unique<CRuriZudaDlg>(window, options);
        station->OnInitDialog();
    }

    TempWorkDir dir;
    UMockdevTestbed* bed = nullptr;
    int plugged = 0;
    FakeWindow window;
    FakeProbe probe;
    std::unique_ptr<CRuriZudaDlg> station;
};

TEST_F(UnitPlug, UnitAttachedAtStartIsListedAndOpenable)
{
    Plug("ttyACM0");
    Start();
    EXPECT_EQ(window.ports, (std::vector<std::string> {"ttyACM0"}));
    EXPECT_EQ(window.CurrentPort(), "ttyACM0");
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::GreenDisc);
    EXPECT_EQ(station->DevicePresent, 1);
    EXPECT_EQ(station->ConnectTarget(), 1);
    EXPECT_NE(AtPort, 0);
    EXPECT_TRUE(window.boxes.empty());
    station->DisconnectTarget();
}

TEST_F(UnitPlug, NoUnitAtStartThenArrival)
{
    Start();
    EXPECT_EQ(window.PortCount(), 0);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::RedDisc);
    EXPECT_EQ(station->DiscoveryStarted, 1);
    Announce(Plug("ttyACM0"), "add");
    EXPECT_EQ(window.ports, (std::vector<std::string> {"ttyACM0"}));
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::GreenDisc);
}

TEST_F(UnitPlug, HardwareIdPartsInLowerCaseStillMatch)
{
    Plug("ttyACM0", {"1286", "4e31", "0100", "04"});
    Start();
    EXPECT_EQ(window.PortCount(), 1);
}

TEST_F(UnitPlug, OtherInterfaceOrRevisionIsNotTheUnit)
{
    Plug("ttyACM0", {.interface = "02"});
    Plug("ttyACM1", {.revision = "0200"});
    Start();
    EXPECT_EQ(window.PortCount(), 0);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::RedDisc);
}

TEST_F(UnitPlug, EventsOfOtherDevicesChangeNothing)
{
    Plug("ttyACM0");
    Start();
    window.events.clear();
    const std::string other = Plug("ttyUSB0", {.vendor = "0403", .product = "6001"});
    Announce(other, "add");
    Unplug(other);
    EXPECT_EQ(window.ports, (std::vector<std::string> {"ttyACM0"}));
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::GreenDisc);
}

TEST_F(UnitPlug, RemovalUnlistsShowsRedAndRunsRetestOnce)
{
    const std::string unit = Plug("ttyACM0");
    Start();
    window.SetText(ctl::kImeiBox, "867400012345678");
    Unplug(unit);
    EXPECT_EQ(window.PortCount(), 0);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::RedDisc);
    EXPECT_EQ(window.Text(ctl::kImeiBox), "");  // RETEST cleared the unit's boxes
    EXPECT_EQ(window.PictureOf(ctl::kMainLamp), Picture::Blank);
    EXPECT_EQ(station->DevicePresent, 0);

    window.events.clear();
    window.SetText(ctl::kImeiBox, "kept");
    station->OnDeviceChange(PortEvent::Removal);
    EXPECT_EQ(window.Text(ctl::kImeiBox), "kept");
    EXPECT_EQ(window.events, (std::vector<std::string> {"text 1006 kept"}));
}

TEST_F(UnitPlug, SystemSourceReportsTheBuiltHardwareId)
{
    Plug("ttyACM0");
    UdevDeviceSource source;
    const auto devices = source.PresentDevices();
    ASSERT_TRUE(devices);
    ASSERT_EQ(devices->size(), 1u);
    EXPECT_EQ(devices->front().hardwareIds, (std::vector<std::string> {"USB\\VID_1286&PID_4e31&REV_0100&MI_04"}));
    EXPECT_EQ(devices->front().portName, "ttyACM0");
}

}  // namespace
