#include "discovery/UdevDeviceSource.h"

#include <memory>

#include <libudev.h>

namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};

template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

std::string Text(const char* text)
{
    return text ? text : "";
}

std::string Attribute(udev_device* device, const char* name)
{
    return Text(udev_device_get_sysattr_value(device, name));
}

// The USB interface and device a tty sits on; null when it is not on one.
// Both belong to the tty.
struct UsbParents {
    udev_device* interface = nullptr;
    udev_device* device = nullptr;
};

UsbParents UsbParentsOf(udev_device* tty)
{
    UsbParents parents;
    parents.interface = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_interface");
    if (parents.interface)
        parents.device = udev_device_get_parent_with_subsystem_devtype(parents.interface, "usb", "usb_device");
    return parents;
}

std::string HardwareIdOf(const UsbParents& usb)
{
    return "USB\\VID_" + Attribute(usb.device, "idVendor") + "&PID_" + Attribute(usb.device, "idProduct") +
           "&REV_" + Attribute(usb.device, "bcdDevice") + "&MI_" + Attribute(usb.interface, "bInterfaceNumber");
}

// The USB port of a USB device: udev's ID_PATH when it has set one, else the
// same text built from the device's place in sysfs as udev builds it: the
// host controller's bus and name, then "usb-0:" and the port chain of the
// device's name ("1-2.3" on controller 0000:00:14.0 gives
// "pci-0000:00:14.0-usb-0:2.3").
std::string PortPathOf(udev_device* usb)
{
    const std::string idPath = Text(udev_device_get_property_value(usb, "ID_PATH"));
    if (!idPath.empty())
        return idPath;
    const std::string name = Text(udev_device_get_sysname(usb));
    const size_t dash = name.find('-');
    if (dash == std::string::npos)
        return "";
    const std::string port = "usb-0:" + name.substr(dash + 1);
    for (udev_device* parent = udev_device_get_parent(usb); parent; parent = udev_device_get_parent(parent)) {
        const std::string subsystem = Text(udev_device_get_subsystem(parent));
        if (subsystem == "pci" || subsystem == "platform")
            return subsystem + "-" + Text(udev_device_get_sysname(parent)) + "-" + port;
    }
    return port;
}

}  // namespace

std::optional<std::vector<PresentDevice>> UdevDeviceSource::PresentDevices()
{
    UdevPtr<udev> context(udev_new());
    if (!context)
        return std::nullopt;
    UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "tty") < 0
        || udev_enumerate_scan_devices(enumerate.get()) < 0)
        return std::nullopt;

    std::vector<PresentDevice> devices;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get()))
    {
        UdevPtr<udev_device> tty(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!tty)
            continue;
        const UsbParents usb = UsbParentsOf(tty.get());
        if (!usb.device)
            continue;
        const std::string name = Text(udev_device_get_sysname(tty.get()));
        devices.push_back({{HardwareIdOf(usb)}, name, false, PortPathOf(usb.device)});
    }
    return devices;
}
