#include "app/CommandLine.h"

#include <charconv>
#include <string_view>

#include "app/StationFont.h"
#include "config/SlotMap.h"

namespace {

constexpr std::string_view kPortOption = "--port";
constexpr std::string_view kScreenshotOption = "--screenshot";
constexpr std::string_view kHelpOption = "--help";
// The writing station: shows the identity-write group.
constexpr std::string_view kEngineeringOption = "--engineering";

constexpr std::string_view kDirOption = "--dir";
constexpr std::string_view kVersionOption = "--version";
constexpr std::string_view kTraceOption = "--trace";

constexpr std::string_view kSlotOption = "--slot";
constexpr std::string_view kSlotsOption = "--slots";
constexpr std::string_view kListUnitsOption = "--list-units";
constexpr std::string_view kAtOption = "--at";
constexpr std::string_view kScaleOption = "--scale";

// The value of `option` at args[i], given as "--option VALUE" (advancing i)
// or "--option=VALUE". False when args[i] is not this option.
bool TakeValue(std::span<const std::string> args, size_t& i, std::string_view option, std::string& value,
               std::string& error)
{
    const std::string_view arg = args[i];
    if (arg == option) {
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = std::string(option) + " needs a value";
            return true;
        }
        value = args[++i];
        return true;
    }
    if (arg.size() > option.size() && arg.starts_with(option) && arg[option.size()] == '=') {
        value = arg.substr(option.size() + 1);
        if (value.empty())
            error = std::string(option) + " needs a value";
        return true;
    }
    return false;
}

// A whole decimal number; nullopt for anything else.
std::optional<int> WholeNumber(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string ParseSlot(const std::string& text, int& slot)
{
    const std::optional<int> number = WholeNumber(text);
    if (!number || !IsSlotNumber(*number))
        return std::string(kSlotOption) + " needs a slot number from 1 to " + std::to_string(kMaxSlots) + ", not '" +
               text + "'";
    slot = *number;
    return {};
}

std::string ParsePlace(const std::string& text, std::optional<CommandLine::Place>& place)
{
    const size_t comma = text.find(',');
    const std::optional<int> x = comma == std::string::npos ? std::nullopt : WholeNumber(text.substr(0, comma));
    const std::optional<int> y = comma == std::string::npos ? std::nullopt : WholeNumber(text.substr(comma + 1));
    if (!x || !y)
        return std::string(kAtOption) + " needs X,Y in pixels, not '" + text + "'";
    place = CommandLine::Place {*x, *y};
    return {};
}

std::string ParseScale(const std::string& text, double& scale)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value >= kLeastWindowScale && value <= 1.0))
        return std::string(kScaleOption) + " needs a factor from 0.1 to 1, not '" + text + "'";
    scale = value;
    return {};
}

// Options that cannot go together; empty when the line is consistent.
std::string Conflicts(const CommandLine& line)
{
    if (line.startSlots && line.options.slot)
        return std::string(kSlotsOption) + " starts every slot: it takes no " + std::string(kSlotOption);
    if (line.startSlots && line.ports.size() > static_cast<size_t>(kMaxSlots))
        return std::string(kSlotsOption) + " takes at most " + std::to_string(kMaxSlots) + " ports";
    return {};
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string> args)
{
    CommandLine line;
    std::string value;
    for (size_t i = 0; i < args.size() && line.error.empty(); ++i) {
        if (args[i] == kHelpOption) {
            line.help = true;
        } else if (TakeValue(args, i, kPortOption, line.options.fixedPort, line.error)) {
            line.ports.push_back(line.options.fixedPort);
        } else if (TakeValue(args, i, kScreenshotOption, line.screenshotPath, line.error)) {
        } else if (args[i] == kEngineeringOption) {
            line.options.engineering = true;
        } else if (TakeValue(args, i, kDirOption, line.stationDir, line.error)) {
        } else if (args[i] == kVersionOption) {
            line.version = true;
        } else if (TakeValue(args, i, kTraceOption, line.options.wireTraceDir, line.error)) {
        } else if (TakeValue(args, i, kSlotOption, value, line.error)) {
            if (line.error.empty())
                line.error = ParseSlot(value, line.options.slot);
        } else if (args[i] == kSlotsOption) {
            line.startSlots = true;
        } else if (args[i] == kListUnitsOption) {
            line.listUnits = true;
        } else if (TakeValue(args, i, kAtOption, value, line.error)) {
            if (line.error.empty())
                line.error = ParsePlace(value, line.windowAt);
        } else if (TakeValue(args, i, kScaleOption, value, line.error)) {
            if (line.error.empty())
                line.error = ParseScale(value, line.windowScale);
        } else {
            line.error = "unknown argument: " + args[i];
        }
    }
    if (line.error.empty())
        line.error = Conflicts(line);
    return line;
}
