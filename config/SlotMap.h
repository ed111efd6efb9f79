#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

class IniFile;

// Slots: up to kMaxSlots stations on one PC, each bound to one physical USB
// port. Section [Slots] of workstation.ini names the port of each slot by
// its udev ID_PATH:
//
//   [Slots]
//   SLOT1=pci-0000:00:14.0-usb-0:2.1
//   SLOT2=pci-0000:00:14.0-usb-0:2.2
//
// A slot without a key has no port. Slots are numbered 1..kMaxSlots.

inline constexpr int kMaxSlots = 8;
inline constexpr const char* kSlotsSectionName = "Slots";

struct SlotMap {
    // The port path of slot N at [N - 1]; "" when the slot has none.
    std::array<std::string, kMaxSlots> paths;
    // One line naming the first malformed value; empty when the map is sound.
    std::string error;

    // The port of `slot`; "" for a slot without one or out of range.
    const std::string& PathOf(int slot) const;
    // The slot whose port is `path`; 0 when none is.
    int SlotOf(const std::string& path) const;
    // The slots that name a port, in order.
    std::vector<int> Configured() const;
};

// A slot number a station may take: 1..kMaxSlots.
bool IsSlotNumber(int slot);

// The folder of a slot's own files (its log and wire traces) inside the
// station folder, "slot-N"; empty for 0 (no slot). Everything else of the
// station folder is shared by its slots.
std::filesystem::path SlotFolder(int slot);

// Reads SLOT1..SLOT<kMaxSlots> of [Slots]. A value that is not a USB port
// path, or a port named by two slots, is an error.
SlotMap ReadSlotMap(const IniFile& ini);
SlotMap LoadSlotMap(const std::filesystem::path& profile);
