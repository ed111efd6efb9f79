#include "discovery/PortProbe.h"

#include <algorithm>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kPortPrefixes[] = {"ttyS", "ttyUSB", "ttyACM"};

bool IsPortNode(const std::string& name)
{
    for (const char* prefix : kPortPrefixes) {
        const std::string p = prefix;
        if (name.size() > p.size() && name.compare(0, p.size(), p) == 0
            && std::all_of(name.begin() + static_cast<long>(p.size()), name.end(),
                           [](unsigned char c) { return c >= '0' && c <= '9'; }))
            return true;
    }
    return false;
}

}  // namespace

DevPortProbe::DevPortProbe(std::string directory)
    : directory_(std::move(directory))
{
}

std::vector<std::string> DevPortProbe::OpenablePorts()
{
    std::vector<std::string> ports;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(directory_, ec)) {
        const std::string name = entry.path().filename().string();
        if (!IsPortNode(name))
            continue;
        // A plain open and close: the port's settings and pending bytes belong
        // to whoever uses it, so nothing is configured, locked or flushed.
        const int fd = ::open(entry.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        ::close(fd);
        ports.push_back(name);
    }
    std::sort(ports.begin(), ports.end());
    return ports;
}
