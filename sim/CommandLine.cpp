#include "sim/CommandLine.h"

#include "sim/MacAddress.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

namespace sim {

namespace {

// Applies an option's value; returns the reason when the value is refused.
using Apply = std::string (*)(ProgramConfig&, std::string_view value);

struct OptionEntry {
    std::string_view name;
    std::string_view valueName;  // empty for a switch
    std::string_view help;
    Apply apply;
};

constexpr std::string_view kAllCommands = "all";

std::optional<int> ParseNonNegative(std::string_view text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > kMaxOptionDelayMs)
        return std::nullopt;
    return value;
}

std::string BadMs(std::string_view text)
{
    return "'" + std::string(text) + "' is not a delay in ms (0 to " + std::to_string(kMaxOptionDelayMs) + ")";
}

std::string SetChar(char& target, std::string_view text)
{
    if (text.size() != 1)
        return "'" + std::string(text) + "' is not a single character";
    target = text.front();
    return {};
}

std::string SetText(std::string& target, std::string_view text)
{
    target = text;
    return {};
}

std::optional<CalFile> ParseCalFile(std::string_view name)
{
    static constexpr std::array<std::pair<std::string_view, CalFile>, kCalFileCount> kNames {{
        {"gsm", CalFile::Gsm},
        {"td", CalFile::Td},
        {"lte", CalFile::Lte},
        {"rf-analysis", CalFile::RfAnalysis},
        {"rf-calibration", CalFile::RfCalibration},
    }};
    for (const auto& [text, file] : kNames) {
        if (text == name)
            return file;
    }
    return std::nullopt;
}

std::string SetCesq(ProgramConfig& config, std::string_view text)
{
    std::array<std::string, 6> fields;
    std::size_t field = 0;
    for (const char c : text) {
        if (c != ',') {
            fields[field].push_back(c);
        } else if (++field == fields.size()) {
            break;
        }
    }
    if (field != fields.size() - 1)
        return "--cesq needs six comma-separated fields";
    config.state.cesq = fields;
    return {};
}

CommandFault& FaultFor(ProgramConfig& config, std::string_view command)
{
    return command == kAllCommands ? config.options.faults.ForAll() : config.options.faults.For(command);
}

// Splits "CMD:NUMBER" at its last colon.
std::optional<std::pair<std::string_view, std::string_view>> CommandAndNumber(std::string_view text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0)
        return std::nullopt;
    return std::pair {text.substr(0, colon), text.substr(colon + 1)};
}

const std::array<OptionEntry, 36>& Options()
{
    static const std::array<OptionEntry, 36> kOptions {{
        {"imei", "IMEI", "IMEI the unit reports",
         [](ProgramConfig& c, std::string_view v) { return SetText(c.state.imei, v); }},
        {"mac", "MAC", "Wi-Fi MAC, 12 hex digits or pairs separated by ':' or '-'",
         [](ProgramConfig& c, std::string_view v) -> std::string {
             const std::optional<std::string> mac = ParseMac(v);
             if (!mac)
                 return "'" + std::string(v) + "' is not a MAC address";
             c.state.mac = *mac;
             return {};
         }},
        {"mac-upper", "", "report the MAC in upper case",
         [](ProgramConfig& c, std::string_view) { c.state.macUpperCase = true; return std::string(); }},
        {"version", "TEXT", "firmware version",
         [](ProgramConfig& c, std::string_view v) { return SetText(c.state.version, v); }},
        {"release-time", "TEXT", "firmware release time",
         [](ProgramConfig& c, std::string_view v) { return SetText(c.state.releaseTime, v); }},
        {"version-two-writes", "", "send the release time line in a later write",
         [](ProgramConfig& c, std::string_view) { c.state.versionInTwoWrites = true; return std::string(); }},
        {"sn", "SN", "serial number",
         [](ProgramConfig& c, std::string_view v) { return SetText(c.state.sn, v); }},
        {"sn-error", "", "answer the SN query with *CME ERROR",
         [](ProgramConfig& c, std::string_view) { c.state.snError = true; return std::string(); }},
        {"pcba-sn", "SN", "PCBA serial number",
         [](ProgramConfig& c, std::string_view v) { return SetText(c.state.pcbaSn, v); }},
        {"pcba-sn-error", "", "answer the PCBA SN query with *CME ERROR",
         [](ProgramConfig& c, std::string_view) { c.state.pcbaSnError = true; return std::string(); }},
        {"ssid", "SSID", "Wi-Fi SSID",
         [](ProgramConfig& c, std::string_view v) { return SetText(c.state.ssid, v); }},
        {"no-sim", "", "report no SIM card",
         [](ProgramConfig& c, std::string_view) { c.state.simPresent = false; return std::string(); }},
        {"sd", "DIGIT", "SD card state character (0 inserted, 1 not FAT32, 2 unreadable, 3 absent)",
         [](ProgramConfig& c, std::string_view v) { return SetChar(c.state.sdStateDigit, v); }},
        {"wifi", "DIGIT", "Wi-Fi function state character (1 on)",
         [](ProgramConfig& c, std::string_view v) { return SetChar(c.state.wifiStateDigit, v); }},
        {"no-charger", "", "report the charger removed",
         [](ProgramConfig& c, std::string_view) { c.state.chargerConnected = false; return std::string(); }},
        {"cesq", "F1,F2,F3,F4,F5,F6", "the six +CESQ fields", &SetCesq},
        {"no-cal", "FILE", "calibration file missing: gsm, td, lte, rf-analysis, rf-calibration (repeatable)",
         [](ProgramConfig& c, std::string_view v) -> std::string {
             const std::optional<CalFile> file = ParseCalFile(v);
             if (!file)
                 return "'" + std::string(v) + "' is not a calibration file (gsm, td, lte, rf-analysis, rf-calibration)";
             c.state.calFilePresent[static_cast<std::size_t>(*file)] = false;
             return {};
         }},
        {"usb-mode", "DIGIT", "USB mode character",
         [](ProgramConfig& c, std::string_view v) { return SetChar(c.state.usbModeDigit, v); }},
        {"usb-mode-no-prefix", "", "answer the USB mode query with a bare OK",
         [](ProgramConfig& c, std::string_view) { c.state.usbModeWithoutPrefix = true; return std::string(); }},
        {"pn-locked", "", "start with the network lock on",
         [](ProgramConfig& c, std::string_view) { c.state.pnLocked = true; return std::string(); }},
        {"pn-state", "CHAR", "report this character as the network lock state",
         [](ProgramConfig& c, std::string_view v) {
             char digit = 0;
             std::string error = SetChar(digit, v);
             if (error.empty())
                 c.state.pnStateDigit = digit;
             return error;
         }},
        {"unlock-code", "CODE", "network unlock code",
         [](ProgramConfig& c, std::string_view v) { return SetText(c.state.unlockCode, v); }},
        {"key-report", "DIGIT", "key test verdict character (0 pass, 2 fail)",
         [](ProgramConfig& c, std::string_view v) { return SetChar(c.state.keyReportDigit, v); }},
        {"key-delay", "MS", "delay of the key report after the key test starts",
         [](ProgramConfig& c, std::string_view v) -> std::string {
             const std::optional<int> ms = ParseNonNegative(v);
             if (!ms)
                 return BadMs(v);
             c.state.keyReportDelayMs = *ms;
             return {};
         }},
        {"withhold-d", "", "leave the first step of two-step writes unanswered",
         [](ProgramConfig& c, std::string_view) { c.state.withholdDAnswers = true; return std::string(); }},
        {"echo", "", "echo request lines",
         [](ProgramConfig& c, std::string_view) { c.options.echo = true; return std::string(); }},
        {"delay", "MS", "delay before every answer",
         [](ProgramConfig& c, std::string_view v) -> std::string {
             const std::optional<int> ms = ParseNonNegative(v);
             if (!ms)
                 return BadMs(v);
             c.options.answerDelayMs = *ms;
             return {};
         }},
        {"no-answer", "CMD", "leave CMD (or all) unanswered (repeatable)",
         [](ProgramConfig& c, std::string_view v) { FaultFor(c, v).noAnswer = true; return std::string(); }},
        {"error-answer", "CMD", "refuse CMD (or all) with an error reply (repeatable)",
         [](ProgramConfig& c, std::string_view v) { FaultFor(c, v).errorAnswer = true; return std::string(); }},
        {"split", "CMD:OFFSET", "cut the answer to CMD (or all) in two writes at OFFSET (repeatable)",
         [](ProgramConfig& c, std::string_view v) -> std::string {
             const auto parts = CommandAndNumber(v);
             const std::optional<int> offset = parts ? ParseNonNegative(parts->second) : std::nullopt;
             if (!offset)
                 return "--split needs CMD:OFFSET, got '" + std::string(v) + "'";
             FaultFor(c, parts->first).splitAt = static_cast<std::size_t>(*offset);
             return {};
         }},
        {"cmd-delay", "CMD:MS", "extra delay before the answer to CMD (or all) (repeatable)",
         [](ProgramConfig& c, std::string_view v) -> std::string {
             const auto parts = CommandAndNumber(v);
             const std::optional<int> ms = parts ? ParseNonNegative(parts->second) : std::nullopt;
             if (!ms)
                 return "--cmd-delay needs CMD:MS, got '" + std::string(v) + "'";
             FaultFor(c, parts->first).extraDelayMs = *ms;
             return {};
         }},
        {"read-gap", "MS", "gap between writes meant for separate reads",
         [](ProgramConfig& c, std::string_view v) -> std::string {
             const std::optional<int> ms = ParseNonNegative(v);
             if (!ms)
                 return BadMs(v);
             c.options.separateReadGapMs = *ms;
             return {};
         }},
        {"replay", "TRACE", "act as the unit recorded in the wire trace TRACE (state and fault options are ignored)",
         [](ProgramConfig& c, std::string_view v) -> std::string {
             if (v.empty())
                 return "--replay needs a TRACE file";
             return SetText(c.replayPath, v);
         }},
        {"log", "", "print requests and replies to stderr",
         [](ProgramConfig& c, std::string_view) { c.log = true; return std::string(); }},
        {"exit-on-stdin-close", "", "end when standard input is closed",
         [](ProgramConfig& c, std::string_view) { c.exitOnStdinClose = true; return std::string(); }},
        {"help", "", "show this text",
         [](ProgramConfig&, std::string_view) { return std::string(); }},
    }};
    return kOptions;
}

const OptionEntry* FindOption(std::string_view name)
{
    for (const OptionEntry& entry : Options()) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

}  // namespace

CommandLineResult ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLineResult result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg.substr(0, 2) != "--" || arg.size() == 2) {
            result.error = "unexpected argument '" + std::string(arg) + "'";
            return result;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(2, equals == std::string_view::npos ? std::string_view::npos : equals - 2);
        const OptionEntry* entry = FindOption(name);
        if (entry == nullptr) {
            result.error = "unknown option '--" + std::string(name) + "'";
            return result;
        }
        std::string_view value;
        if (entry->valueName.empty()) {
            if (equals != std::string_view::npos) {
                result.error = "option '--" + std::string(name) + "' takes no value";
                return result;
            }
        } else if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            result.error = "option '--" + std::string(name) + "' needs a value " + std::string(entry->valueName);
            return result;
        }
        if (name == "help")
            result.helpRequested = true;
        result.error = entry->apply(result.config, value);
        if (!result.error.empty())
            return result;
    }
    return result;
}

std::string UsageText(std::string_view programName)
{
    std::string text = "Usage: " + std::string(programName) + " [OPTION]...\n"
        "Simulates a unit's AT port on a pseudo-terminal, prints the terminal's path\n"
        "on one line and serves requests until it is killed.\n"
        "CMD is a request text without AT, e.g. '*MRD_IMEI?'.\n\n";
    for (const OptionEntry& entry : Options()) {
        std::string left = "  --" + std::string(entry.name);
        if (!entry.valueName.empty())
            left += " " + std::string(entry.valueName);
        constexpr std::size_t kHelpColumn = 32;
        left.resize(std::max(left.size() + 1, kHelpColumn), ' ');
        text += left + std::string(entry.help) + "\n";
    }
    return text;
}

}  // namespace sim
