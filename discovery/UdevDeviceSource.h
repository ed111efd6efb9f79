#pragma once

#include "discovery/DeviceSource.h"

// Present serial ports from libudev: every tty whose parent is a USB
// interface, with the hardware ID "USB\VID_vvvv&PID_pppp&REV_rrrr&MI_ii" built
// from the USB device's idVendor, idProduct and bcdDevice and the interface's
// bInterfaceNumber. The port name is the tty's kernel name (ttyACM0), the port
// path the USB port of the device (ID_PATH).
class UdevDeviceSource final : public DeviceSource {
public:
    std::optional<std::vector<PresentDevice>> PresentDevices() override;
};
