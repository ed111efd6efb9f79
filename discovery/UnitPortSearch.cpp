#include "discovery/UnitPortSearch.h"

#include <algorithm>
#include <iterator>

namespace {

// A friendly name is read into a buffer of this size, terminator included.
constexpr size_t kFriendlyNameBuffer = 50;

std::string UpperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
    });
    return text;
}

bool MatchesUnit(const PresentDevice& device)
{
    return std::any_of(device.hardwareIds.begin(), device.hardwareIds.end(),
                       [](const std::string& id) { return UpperCase(id) == kUnitHardwareId; });
}

bool AtPort(const PresentDevice& device, const std::optional<std::string>& portPath)
{
    return !portPath || (!device.portPath.empty() && device.portPath == *portPath);
}

}  // namespace

UnitSearchResult FindUnitPort(const std::vector<PresentDevice>& devices, const std::optional<std::string>& portPath)
{
    for (const auto& device : devices) {
        if (!AtPort(device, portPath))
            continue;
        if (device.readError)
            return {};
        if (!MatchesUnit(device))
            continue;
        if (device.portName.empty())
            return {UnitSearchResult::Outcome::FoundNoPort, ""};
        return {UnitSearchResult::Outcome::FoundWithPort, device.portName};
    }
    return {};
}

std::vector<PresentDevice> AttachedUnits(const std::vector<PresentDevice>& devices)
{
    std::vector<PresentDevice> units;
    std::copy_if(devices.begin(), devices.end(), std::back_inserter(units),
                 [](const PresentDevice& device) { return !device.readError && MatchesUnit(device); });
    return units;
}

std::optional<std::string> ComPortFromFriendlyName(const std::string& friendlyName)
{
    if (friendlyName.size() >= kFriendlyNameBuffer)
        return std::nullopt;
    const size_t start = friendlyName.find("COM");
    if (start == std::string::npos)
        return std::nullopt;
    for (size_t offset : {4u, 5u, 6u}) {
        const size_t at = start + offset;
        if (at < friendlyName.size() && friendlyName[at] == ')')
            return friendlyName.substr(start, offset);
    }
    return friendlyName.substr(start);
}
