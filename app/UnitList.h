#pragma once

#include <string>
#include <vector>

#include "config/SlotMap.h"
#include "discovery/DeviceSource.h"

// rurizuda --list-units: one line per attached unit, "TTY PORT-PATH SLOT",
// the slot being "slot N" when [Slots] names the unit's port, else "none";
// a port path udev and sysfs do not give is shown as "unknown". A line
// engineer plugs a unit into each port and copies the paths into [Slots].
std::vector<std::string> UnitListLines(const std::vector<PresentDevice>& devices, const SlotMap& slots);

inline constexpr const char* kUnknownPortPath = "unknown";
