#pragma once

#include <optional>
#include <string>
#include <vector>

// One present device as discovery sees it.
struct PresentDevice {
    // Hardware-ID strings, such as "USB\VID_1286&PID_4E31&REV_0100&MI_04".
    std::vector<std::string> hardwareIds;
    // The port name of the device, "" when it has none.
    std::string portName;
    // The hardware IDs could not be read for another reason than their absence.
    bool readError = false;
    // The physical USB port the device is plugged into, as udev's ID_PATH of
    // the USB device ("pci-0000:00:14.0-usb-0:2.3"); "" when unknown.
    std::string portPath {};
};

// Where the present devices come from: libudev on Linux, a list in tests.
class DeviceSource {
public:
    virtual ~DeviceSource() = default;
    // Every present device in enumeration order; nullopt when the set of
    // devices cannot be had at all.
    virtual std::optional<std::vector<PresentDevice>> PresentDevices() = 0;
};
