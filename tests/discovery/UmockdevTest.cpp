// Discovery against fake USB devices in a umockdev test bed: the real libudev
// source and monitor, the controller and a recording window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <umockdev.h>

#include "discovery/UdevDeviceSource.h"
#include "link/AtPort.h"
#include "link/StationLog.h"
#include "station/CRuriZudaDlg.h"
#include "station/ControlIds.h"
#include "tests/station/FakeWindow.h"
#include "tests/support/FakeDiscovery.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

struct UsbIdentity {
    std::string vendor = "1286";
    std::string product = "4e31";
    std::string revision = "0100";
    std::string interface = "04";
    // Where the device is plugged in: its port chain on the host controller
    // ("2.3"), "" for a port of its own; and udev's ID_PATH, "" for none.
    std::string port = "";
    std::string idPath = "";
};

// The host controller the fake devices hang from, and the port path udev
// would give a device on its port 2.3.
constexpr const char* kController = "/devices/pci0000:00/0000:00:14.0";
std::string PortPath(const std::string& port)
{
    return "pci-0000:00:14.0-usb-0:" + port;
}

class UnitPlug : public testing::Test {
protected:
    void SetUp() override
    {
        const char* preload = std::getenv("LD_PRELOAD");
        ASSERT_TRUE(preload && std::strstr(preload, "umockdev")) << "run under umockdev-wrapper";
        bed = umockdev_testbed_new();
        GError* error = nullptr;
        const std::string controller = std::string("P: ") + kController + "\nE: SUBSYSTEM=pci\n\n";
        ASSERT_TRUE(umockdev_testbed_add_from_string(bed, controller.c_str(), &error)) << error->message;
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
        const std::string port = id.port.empty() ? std::to_string(++plugged) : id.port;
        const std::string usb = std::string(kController) + "/usb1/1-" + port;
        const std::string interface = usb + "/" + "1-" + port + ":1." + id.interface;
        const std::string node = interface + "/tty/" + tty;
        const std::string idPath = id.idPath.empty() ? "" : "\nE: ID_PATH=" + id.idPath;
        const std::string record = "P: " + usb + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device" + idPath +
                                   "\nA: idVendor=" + id.vendor +
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

    void Start(int slot = 0, const std::string& slotPort = "")
    {
        StationOptions options;
        options.probe = &probe;
        options.slot = slot;
        options.slotPortPath = slotPort;
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

TEST_F(UnitPlug, PortPathIsUdevsIdPathElseBuiltFromSysfs)
{
    Plug("ttyACM0", {.port = "2.3"});
    Plug("ttyACM1", {.port = "4", .idPath = "pci-0000:00:1d.0-usb-0:1.4"});
    const auto devices = UdevDeviceSource().PresentDevices();
    ASSERT_TRUE(devices);
    ASSERT_EQ(devices->size(), 2u);
    EXPECT_EQ(devices->at(0).portPath, PortPath("2.3"));
    EXPECT_EQ(devices->at(1).portPath, "pci-0000:00:1d.0-usb-0:1.4");
}

// Four units at four ports: 2.1 .. 2.4 are slots 1 to 4 of the profile below.
class SlotPlug : public UnitPlug {
protected:
    void PlugFour()
    {
        for (int slot = 1; slot <= 4; ++slot)
            units.push_back(Plug("ttyACM" + std::to_string(slot - 1), {.port = Port(slot)}));
    }
    static std::string Port(int slot) { return "2." + std::to_string(slot); }
    std::vector<std::string> units;
};

TEST_F(SlotPlug, SlotListsOnlyTheUnitAtItsPort)
{
    PlugFour();
    Start(2, PortPath(Port(2)));
    EXPECT_EQ(window.ports, (std::vector<std::string> {"ttyACM1"}));
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::GreenDisc);
}

TEST_F(SlotPlug, UnitsComingAndGoingAtOtherPortsChangeNothing)
{
    PlugFour();
    Start(2, PortPath(Port(2)));
    window.events.clear();
    Unplug(units[2]);
    Announce(Plug("ttyACM9", {.port = "3.1"}), "add");
    EXPECT_EQ(window.ports, (std::vector<std::string> {"ttyACM1"}));
    EXPECT_EQ(window.events, (std::vector<std::string> {}));
    EXPECT_EQ(station->DevicePresent, 1);
}

TEST_F(SlotPlug, ArrivalAtTheSlotsPortBringsTheWindowToFrontForTheScan)
{
    Start(2, PortPath(Port(2)));
    EXPECT_EQ(window.PortCount(), 0);
    Announce(Plug("ttyACM1", {.port = Port(2)}), "add");
    EXPECT_EQ(window.ports, (std::vector<std::string> {"ttyACM1"}));
    EXPECT_EQ(window.events.back(), "front");
    EXPECT_EQ(window.focus, ctl::kScanMac);
}

TEST_F(SlotPlug, SlotWithoutAPortListsNoUnit)
{
    PlugFour();
    Start(5, "");
    EXPECT_EQ(window.PortCount(), 0);
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::RedDisc);
}

TEST_F(SlotPlug, ListUnitsPrintsEveryUnitsPortPathAndSlot)
{
    PlugFour();
    Plug("ttyUSB0", {.vendor = "0403", .product = "6001", .port = "5"});
    std::ofstream(dir.Path() / "workstation.ini")
        << "[Slots]\nSLOT1=" << PortPath(Port(1)) << "\nSLOT2=" << PortPath(Port(2)) << "\nSLOT4=" << PortPath(Port(4))
        << "\n";
    const ProgramRun run = RunProgram({STATION_PROGRAM, "--list-units", "--dir", dir.Path().string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "ttyACM0 " + PortPath("2.1") + " slot 1\nttyACM1 " + PortPath("2.2") + " slot 2\nttyACM2 " +
                           PortPath("2.3") + " none\nttyACM3 " + PortPath("2.4") + " slot 4\n");
}

TEST_F(SlotPlug, MalformedSlotsStopTheStartBeforeAnyWindow)
{
    std::ofstream(dir.Path() / "workstation.ini") << "[Slots]\nSLOT2=/dev/ttyACM1\n";
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A station that starts saves a picture and ends.
    const std::string picture = (dir.Path() / "w.png").string();
    const ProgramRun run =
        RunProgram({STATION_PROGRAM, "--slot", "2", "--dir", dir.Path().string(), "--screenshot", picture});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "slot-2"));  // the station never started
}

}  // namespace
