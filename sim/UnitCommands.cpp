#include "sim/UnitCommands.h"

#include "sim/MacAddress.h"
#include "sim/ReplyText.h"
#include "sim/TextCase.h"

#include <array>
#include <utility>

namespace sim {

namespace {

// +CME ERROR codes the unit uses.
constexpr int kCmeNotAllowed = 3;
constexpr int kCmeWrongPassword = 16;
constexpr int kCmeBadParameters = 50;
constexpr int kCmeUnknown = 100;

// What the unit says when a serial number was never written.
constexpr std::string_view kSnMissing = "*CME ERROR: 100";

constexpr std::array<std::string_view, kCalFileCount> kCalFileNames {
    "GsmCalData.nvm", "TdCalData.nvm", "LteCalData.nvm",
    "aplp_rf_analysis.nvm", "aplp_rf_calibration.nvm"};

// USB modes the unit can be switched to.
constexpr std::string_view kUsbModes = "0245";

Answer Now(std::string bytes)
{
    return {TimedWrite {0, std::move(bytes)}};
}

Answer InfoThenOk(std::string_view line)
{
    return Now(reply::InfoThenOk(line));
}

}  // namespace

struct UnitCommands::Command {
    std::string_view text;
    bool takesValue;      // text is a prefix and the rest of the request its value
    bool digitsScanned;   // the station searches the answer for bare digits
    Answer (UnitCommands::*handler)(UnitState&, std::string_view);
};

namespace {

using C = UnitCommands;

}  // namespace

const UnitCommands::Command* UnitCommands::Find(std::string_view request, std::string_view& value)
{
    static const std::array<Command, 33> kCommands {{
        {"", false, false, &C::Attention},
        {"*MRD_IMEI?", false, false, &C::ReadImei},
        {"+KAVOMAC?", false, false, &C::ReadMac},
        {"*READVER", false, false, &C::ReadVersion},
        {"*MRD_SN?", false, false, &C::ReadSn},
        {"*MRD_SECOND_SN?", false, false, &C::ReadPcbaSn},
        {"+KAVOSSID?", false, false, &C::ReadSsid},
        {"+CESQ", false, false, &C::ReadSignal},
        {"*SIMDETEC=1", false, false, &C::DetectSim},
        {"+SDCARD?", false, false, &C::ReadSdCard},
        {"+WIFIFUN?", false, false, &C::ReadWifiState},
        {"+func=14,2", false, false, &C::CheckCharger},
        {"*MRD_CDF=q,", true, true, &C::QueryCalFile},
        {"+kavousbmode?", false, false, &C::ReadUsbMode},
        {"+clck=PN,2", false, false, &C::ReadPnLock},
        {"+clck=PN,1", false, false, &C::LockPn},
        {"+clck=PN,0,", true, false, &C::UnlockPn},
        {"*MRD_IMEI=D", false, false, &C::PrepareImeiWrite},
        {"+KAVOMAC=D", false, false, &C::PrepareMacWrite},
        {"*MRD_SN=D", false, false, &C::PrepareSnWrite},
        {"+kavousbmode=d", false, false, &C::PrepareUsbModeWrite},
        {"*MRD_IMEI=W,,,", true, false, &C::WriteImei},
        {"+KAVOMAC=W,", true, false, &C::WriteMac},
        {"*MRD_SN=W,,,", true, false, &C::WriteSn},
        {"+kavousbmode=w,", true, false, &C::WriteUsbMode},
        {"+POWEROFF", false, false, &C::PowerOff},
        {"+RESET", false, false, &C::Reset},
        {"+RSTSET", false, false, &C::Restore},
        {"+FUNC=23,1", false, false, &C::LcdOn},
        {"+FUNC=23,0", false, false, &C::LcdOff},
        {"+FUNC=11,1", false, false, &C::LedAllOn},
        {"+FUNC=2,1", false, true, &C::KeyTestStart},
        {"+FUNC=2,0", false, true, &C::KeyTestStop},
    }};
    for (const Command& command : kCommands) {
        const bool matches = command.takesValue
            ? StartsWithNoCase(request, command.text)
            : request.size() == command.text.size() && StartsWithNoCase(request, command.text);
        if (matches) {
            value = request.substr(command.text.size());
            return &command;
        }
    }
    return nullptr;
}

UnitCommands::UnitCommands(int separateReadGapMs)
    : separateReadGapMs_(separateReadGapMs)
{
}

Answer UnitCommands::Handle(UnitState& state, std::string_view request)
{
    // A second step is only taken right after its first step.
    preparedBefore_ = std::exchange(prepared_, std::nullopt);
    std::string_view value;
    const Command* command = Find(request, value);
    if (command == nullptr)
        return Now(reply::Error());
    return (this->*command->handler)(state, value);
}

std::string UnitCommands::Refuse(std::string_view request)
{
    prepared_.reset();
    std::string_view value;
    const Command* command = Find(request, value);
    if (command == nullptr || command->digitsScanned)
        return reply::Error();
    return reply::CmeError(kCmeUnknown);
}

Answer UnitCommands::ReadImei(UnitState& state, std::string_view)
{
    return InfoThenOk("*MRD_IMEI:" + state.imei);
}

Answer UnitCommands::ReadMac(UnitState& state, std::string_view)
{
    return InfoThenOk("+KAVOMAC: " + (state.macUpperCase ? ToUpperAscii(state.mac) : state.mac));
}

Answer UnitCommands::ReadVersion(UnitState& state, std::string_view)
{
    std::string versionLine = "\r\nrelease_version:" + state.version + "\r\n";
    std::string timeLine = "release_time:" + state.releaseTime + "\r\n" + reply::Ok();
    if (state.versionInTwoWrites)
        return {TimedWrite {0, std::move(versionLine)}, TimedWrite {separateReadGapMs_, std::move(timeLine)}};
    return Now(versionLine + timeLine);
}

Answer UnitCommands::ReadSn(UnitState& state, std::string_view)
{
    return InfoThenOk(state.snError ? std::string(kSnMissing) : "*MRD_SN:" + state.sn);
}

Answer UnitCommands::ReadPcbaSn(UnitState& state, std::string_view)
{
    return InfoThenOk(state.pcbaSnError ? std::string(kSnMissing) : "*MRD_SECOND_SN:" + state.pcbaSn);
}

Answer UnitCommands::ReadSsid(UnitState& state, std::string_view)
{
    return InfoThenOk("+KAVOSSID:" + state.ssid);
}

Answer UnitCommands::ReadSignal(UnitState& state, std::string_view)
{
    std::string line = "+CESQ: ";
    for (std::size_t i = 0; i < state.cesq.size(); ++i) {
        if (i > 0)
            line += ',';
        line += state.cesq[i];
    }
    return InfoThenOk(line);
}

Answer UnitCommands::DetectSim(UnitState& state, std::string_view)
{
    return InfoThenOk(state.simPresent ? "*SIMDETEC: SIM" : "*SIMDETEC: NOS");
}

Answer UnitCommands::ReadSdCard(UnitState& state, std::string_view)
{
    return InfoThenOk(std::string("+SDCARD:") + state.sdStateDigit);
}

Answer UnitCommands::ReadWifiState(UnitState& state, std::string_view)
{
    return InfoThenOk(std::string("+WIFIFUN:") + state.wifiStateDigit);
}

Answer UnitCommands::CheckCharger(UnitState& state, std::string_view)
{
    return InfoThenOk(state.chargerConnected ? "+FUNC CHG:Charging" : "+FUNC CHG:Charger removed");
}

Answer UnitCommands::QueryCalFile(UnitState& state, std::string_view fileName)
{
    // The station takes any 1 or 0 in the reply as the verdict, so the
    // presence digit must be the only digit in it.
    bool present = false;
    for (std::size_t i = 0; i < kCalFileNames.size(); ++i) {
        if (kCalFileNames[i] == fileName)
            present = state.calFilePresent[i];
    }
    return InfoThenOk(std::string("*MRD_CDF:") + (present ? '1' : '0'));
}

Answer UnitCommands::ReadUsbMode(UnitState& state, std::string_view)
{
    if (state.usbModeWithoutPrefix)
        return Now(reply::Ok());
    return InfoThenOk(std::string("+KAVOUSBMODE:") + state.usbModeDigit);
}

Answer UnitCommands::ReadPnLock(UnitState& state, std::string_view)
{
    const char digit = state.pnStateDigit.value_or(state.pnLocked ? '0' : '1');
    return InfoThenOk(std::string("*CLCK: ") + digit);
}

Answer UnitCommands::LockPn(UnitState& state, std::string_view)
{
    state.pnLocked = true;
    return Now(reply::Ok());
}

Answer UnitCommands::UnlockPn(UnitState& state, std::string_view code)
{
    if (code != state.unlockCode)
        return Now(reply::CmeError(kCmeWrongPassword));
    state.pnLocked = false;
    return Now(reply::Ok());
}

Answer UnitCommands::PrepareWrite(const UnitState& state, WriteTarget target)
{
    if (state.withholdDAnswers)
        return {};
    prepared_ = target;
    return Now(reply::Ok());
}

bool UnitCommands::WriteWasPrepared(WriteTarget target) const
{
    return preparedBefore_ == target;
}

Answer UnitCommands::PrepareImeiWrite(UnitState& state, std::string_view)
{
    return PrepareWrite(state, WriteTarget::Imei);
}

Answer UnitCommands::PrepareMacWrite(UnitState& state, std::string_view)
{
    return PrepareWrite(state, WriteTarget::Mac);
}

Answer UnitCommands::PrepareSnWrite(UnitState& state, std::string_view)
{
    return PrepareWrite(state, WriteTarget::Sn);
}

Answer UnitCommands::PrepareUsbModeWrite(UnitState& state, std::string_view)
{
    return PrepareWrite(state, WriteTarget::UsbMode);
}

Answer UnitCommands::WriteImei(UnitState& state, std::string_view imei)
{
    if (!WriteWasPrepared(WriteTarget::Imei))
        return Now(reply::CmeError(kCmeNotAllowed));
    if (imei.empty())
        return Now(reply::CmeError(kCmeBadParameters));
    state.imei = imei;
    return Now(reply::Ok());
}

Answer UnitCommands::WriteMac(UnitState& state, std::string_view digits)
{
    if (!WriteWasPrepared(WriteTarget::Mac))
        return Now(reply::CmeError(kCmeNotAllowed));
    const std::optional<std::string> mac = MacFromHexDigits(digits);
    if (!mac)
        return Now(reply::CmeError(kCmeBadParameters));
    state.mac = *mac;
    return Now(reply::Ok());
}

Answer UnitCommands::WriteSn(UnitState& state, std::string_view sn)
{
    if (!WriteWasPrepared(WriteTarget::Sn))
        return Now(reply::CmeError(kCmeNotAllowed));
    if (sn.empty())
        return Now(reply::CmeError(kCmeBadParameters));
    state.sn = sn;
    return Now(reply::Ok());
}

Answer UnitCommands::WriteUsbMode(UnitState& state, std::string_view mode)
{
    if (!WriteWasPrepared(WriteTarget::UsbMode))
        return Now(reply::CmeError(kCmeNotAllowed));
    if (mode.size() != 1 || kUsbModes.find(mode.front()) == std::string_view::npos)
        return Now(reply::CmeError(kCmeBadParameters));
    state.usbModeDigit = mode.front();
    return Now(reply::Ok());
}

Answer UnitCommands::PowerOff(UnitState& state, std::string_view)
{
    state.events.push_back(UnitEvent::PowerOff);
    return Now(reply::Ok());
}

Answer UnitCommands::Reset(UnitState& state, std::string_view)
{
    state.events.push_back(UnitEvent::Reset);
    return Now(reply::Ok());
}

Answer UnitCommands::Restore(UnitState& state, std::string_view)
{
    state.events.push_back(UnitEvent::Restore);
    return Now(reply::Ok());
}

Answer UnitCommands::LcdOn(UnitState& state, std::string_view)
{
    state.lcdLit = true;
    return InfoThenOk("+FUNC LCD:Light up LCD");
}

Answer UnitCommands::LcdOff(UnitState& state, std::string_view)
{
    state.lcdLit = false;
    return InfoThenOk("+FUNC LCD:Resume LCD");
}

Answer UnitCommands::LedAllOn(UnitState& state, std::string_view)
{
    state.ledsAllOn = true;
    return InfoThenOk("+FUNC:ALL LED ON");
}

Answer UnitCommands::KeyTestStart(UnitState& state, std::string_view)
{
    // The station takes any 0 in what it reads as a pass and any 2 as a
    // failure, so the report carries no digit but the verdict.
    state.keyTestRunning = true;
    return {TimedWrite {0, reply::InfoThenOk("+FUNC KEY:Waiting For Press")},
            TimedWrite {state.keyReportDelayMs,
                        reply::Unsolicited(std::string("+FUNC KEY:") + state.keyReportDigit)}};
}

Answer UnitCommands::KeyTestStop(UnitState& state, std::string_view)
{
    state.keyTestRunning = false;
    return InfoThenOk("+FUNC KEY:1");
}

Answer UnitCommands::Attention(UnitState&, std::string_view)
{
    return Now(reply::Ok());
}

}  // namespace sim
