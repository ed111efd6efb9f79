#pragma once

#include <optional>
#include <string>
#include <vector>

#include "discovery/DeviceSource.h"
#include "discovery/PortProbe.h"

// Present devices as a test sets them; nullopt means no device set.
class FakeDevices final : public DeviceSource {
public:
    std::optional<std::vector<PresentDevice>> PresentDevices() override { return devices; }
    std::optional<std::vector<PresentDevice>> devices = std::vector<PresentDevice> {};
};

// Openable ports as a test sets them.
class FakeProbe final : public PortProbe {
public:
    std::vector<std::string> OpenablePorts() override { return ports; }
    std::vector<std::string> ports;
};
