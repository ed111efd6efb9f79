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

std::string Attribute(udev_device* device, const char* name)
{
    const char* value = udev_device_get_sysattr_value(device, name);
    return value ? value : "";
}

// The hardware ID of a tty on a USB interface; "" when it is not on one.
std::string HardwareIdOf(udev_device* tty)
{
    udev_device* interface = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_interface");
    if (!interface)
        return "";
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(interface, "usb", "usb_device");
    if (!usb)
        return "";
    return "USB\\VID_" + Attribute(usb, "idVendor") + "&PID_" + Attribute(usb, "idProduct") + "&REV_" +
           Attribute(usb, "bcdDevice") + "&MI_" + Attribute(interface, "bInterfaceNumber");
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
        const std::string id = HardwareIdOf(tty.get());
        if (id.empty())
            continue;
        const char* name = udev_device_get_sysname(tty.get());
        devices.push_back({{id}, name ? name : "", false});
    }
    return devices;
}
