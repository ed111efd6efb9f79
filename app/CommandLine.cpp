#include "app/CommandLine.h"

#include <string_view>

namespace {

constexpr std::string_view kPortOption = "--port";
constexpr std::string_view kScreenshotOption = "--screenshot";
constexpr std::string_view kHelpOption = "--help";
// The writing station: shows the identity-write group.
constexpr std::string_view kEngineeringOption = "--engineering";

constexpr std::string_view kDirOption = "--dir";
constexpr std::string_view kVersionOption = "--version";
constexpr std::string_view kTraceOption = "--trace";

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

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string> args)
{
    CommandLine line;
    for (size_t i = 0; i < args.size() && line.error.empty(); ++i) {
        if (args[i] == kHelpOption) {
            line.help = true;
        } else if (TakeValue(args, i, kPortOption, line.options.fixedPort, line.error)) {
        } else if (TakeValue(args, i, kScreenshotOption, line.screenshotPath, line.error)) {
        } else if (args[i] == kEngineeringOption) {
            line.options.engineering = true;
        } else if (TakeValue(args, i, kDirOption, line.stationDir, line.error)) {
        } else if (args[i] == kVersionOption) {
            line.version = true;
        } else if (TakeValue(args, i, kTraceOption, line.options.wireTraceDir, line.error)) {
        } else {
            line.error = "unknown argument: " + args[i];
        }
    }
    return line;
}
