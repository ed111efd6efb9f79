#pragma once

#include <string>
#include <vector>

// Serial ports that can be opened now, for REFRESH COM.
class PortProbe {
public:
    virtual ~PortProbe() = default;
    // Names of the ports that opened, in text order.
    virtual std::vector<std::string> OpenablePorts() = 0;
};

// Tries every /dev/ttyS*, /dev/ttyUSB* and /dev/ttyACM* node with a plain
// open and closes it again at once, changing nothing on the port.
class DevPortProbe final : public PortProbe {
public:
    explicit DevPortProbe(std::string directory = "/dev");
    std::vector<std::string> OpenablePorts() override;

private:
    std::string directory_;
};
