#pragma once

#include <optional>
#include <string>
#include <vector>

#include "discovery/DeviceSource.h"

// The hardware ID of the unit's AT interface.
inline constexpr const char* kUnitHardwareId = "USB\\VID_1286&PID_4E31&REV_0100&MI_04";

struct UnitSearchResult {
    enum class Outcome { NotFound, FoundNoPort, FoundWithPort };
    Outcome outcome = Outcome::NotFound;
    std::string portName;
};

// Looks for the unit's AT interface among `devices`: a device matches when one
// of its hardware IDs, upper-cased, equals the key exactly. The first match
// ends the search; a read error ends it as not found. With `portPath` (a
// slot's USB port) only a device plugged into that port counts; devices at
// other ports, or at none known, are passed over, and "" matches nothing.
UnitSearchResult FindUnitPort(const std::vector<PresentDevice>& devices,
                              const std::optional<std::string>& portPath = std::nullopt);

// Every attached unit's AT interface, in enumeration order.
std::vector<PresentDevice> AttachedUnits(const std::vector<PresentDevice>& devices);

// The port name in a Windows-style friendly name: from the first "COM" up to a
// ")" 4, 5 or 6 places after its "C", else to the end. A name that does not
// fit a 50-byte buffer, or one without "COM", gives nothing.
std::optional<std::string> ComPortFromFriendlyName(const std::string& friendlyName);
