#include "discovery/PortMonitor.h"

#include <cstring>

#include <libudev.h>

std::unique_ptr<PortMonitor> PortMonitor::Open()
{
    udev* context = udev_new();
    if (!context)
        return nullptr;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) < 0
        || udev_monitor_enable_receiving(monitor) < 0) {
        if (monitor)
            udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::unique_ptr<PortMonitor>(new PortMonitor(context, monitor));
}

PortMonitor::PortMonitor(udev* context, udev_monitor* monitor)
    : context_(context)
    , monitor_(monitor)
{
}

PortMonitor::~PortMonitor()
{
    udev_monitor_unref(monitor_);
    udev_unref(context_);
}

int PortMonitor::Descriptor() const
{
    return udev_monitor_get_fd(monitor_);
}

PortEvent PortMonitor::Receive()
{
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device)
        return PortEvent::Other;
    const char* action = udev_device_get_action(device);
    PortEvent event = PortEvent::Other;
    if (action && std::strcmp(action, "add") == 0)
        event = PortEvent::Arrival;
    else if (action && std::strcmp(action, "remove") == 0)
        event = PortEvent::Removal;
    udev_device_unref(device);
    return event;
}
