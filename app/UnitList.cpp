#include "app/UnitList.h"

#include "discovery/UnitPortSearch.h"

std::vector<std::string> UnitListLines(const std::vector<PresentDevice>& devices, const SlotMap& slots)
{
    std::vector<std::string> lines;
    for (const PresentDevice& unit : AttachedUnits(devices)) {
        const int slot = slots.SlotOf(unit.portPath);
        const std::string path = unit.portPath.empty() ? kUnknownPortPath : unit.portPath;
        lines.push_back(unit.portName + " " + path + " " + (slot ? "slot " + std::to_string(slot) : "none"));
    }
    return lines;
}
