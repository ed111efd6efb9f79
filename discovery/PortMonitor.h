#pragma once

#include <memory>

struct udev;
struct udev_monitor;

// What a serial-port notification says.
enum class PortEvent { Arrival, Removal, Other };

// Notifications of serial ports coming and going, from a udev monitor on the
// tty subsystem. The owner watches Descriptor() and calls Receive() when it
// is readable.
class PortMonitor {
public:
    // nullptr when no monitor can be set up.
    static std::unique_ptr<PortMonitor> Open();
    ~PortMonitor();
    PortMonitor(const PortMonitor&) = delete;
    PortMonitor& operator=(const PortMonitor&) = delete;

    int Descriptor() const;
    // The next pending notification; Other when it is neither "add" nor
    // "remove", or when nothing was pending.
    PortEvent Receive();

private:
    PortMonitor(udev* context, udev_monitor* monitor);
    udev* context_;
    udev_monitor* monitor_;
};
