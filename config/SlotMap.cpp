#include "config/SlotMap.h"

#include <algorithm>
#include <string_view>

#include "config/IniFile.h"

namespace {

constexpr std::string_view kSlotKeyPrefix = "SLOT";
// Room for the longest port path udev builds (a chain of hubs).
constexpr std::size_t kSlotValueBuffer = 256;
constexpr std::string_view kUsbPart = "usb-";
constexpr std::string_view kPathPunctuation = ".:_+-";
constexpr const char* kSlotFolderPrefix = "slot-";
constexpr const char* kPathExample = "pci-0000:00:14.0-usb-0:2.3";

std::string SlotKey(int slot)
{
    return std::string(kSlotKeyPrefix) + std::to_string(slot);
}

bool IsPathCharacter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
           || kPathPunctuation.find(static_cast<char>(c)) != std::string_view::npos;
}

// A port path as udev writes ID_PATH for a USB device: letters, digits and
// ".:_+-" only, holding a "usb-" part ("pci-0000:00:14.0-usb-0:2.3").
bool IsUsbPortPath(const std::string& path)
{
    return !path.empty() && std::all_of(path.begin(), path.end(), IsPathCharacter)
           && path.find(kUsbPart) != std::string::npos;
}

}  // namespace

const std::string& SlotMap::PathOf(int slot) const
{
    static const std::string kNone;
    return IsSlotNumber(slot) ? paths[static_cast<std::size_t>(slot - 1)] : kNone;
}

int SlotMap::SlotOf(const std::string& path) const
{
    if (path.empty())
        return 0;
    const auto found = std::find(paths.begin(), paths.end(), path);
    return found == paths.end() ? 0 : static_cast<int>(found - paths.begin()) + 1;
}

std::vector<int> SlotMap::Configured() const
{
    std::vector<int> slots;
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        if (!PathOf(slot).empty())
            slots.push_back(slot);
    }
    return slots;
}

bool IsSlotNumber(int slot)
{
    return slot >= 1 && slot <= kMaxSlots;
}

std::filesystem::path SlotFolder(int slot)
{
    return slot == 0 ? std::filesystem::path() : std::filesystem::path(kSlotFolderPrefix + std::to_string(slot));
}

SlotMap ReadSlotMap(const IniFile& ini)
{
    SlotMap map;
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        const std::string path = ini.Get(kSlotsSectionName, SlotKey(slot), kSlotValueBuffer);
        if (path.empty())
            continue;
        const std::string key = "[" + std::string(kSlotsSectionName) + "] " + SlotKey(slot);
        if (!IsUsbPortPath(path)) {
            map.error = key + " is not a USB port path like " + kPathExample + ": '" + path + "'";
            return map;
        }
        if (const int other = map.SlotOf(path)) {
            map.error = key + " names the port of " + SlotKey(other) + ": " + path;
            return map;
        }
        map.paths[static_cast<std::size_t>(slot - 1)] = path;
    }
    return map;
}

SlotMap LoadSlotMap(const std::filesystem::path& profile)
{
    return ReadSlotMap(IniFile(profile));
}
