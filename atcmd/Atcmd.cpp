#include "atcmd/Atcmd.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "atcmd/Extract.h"
#include "link/AtPort.h"
#include "link/AtTransaction.h"
#include "link/StationLog.h"
#include "link/Trace.h"

namespace {

// ---------------------------------------------------------------------------
// Failure entries. Every kind of failure point has its own line below, so the
// "FILE:...,LINE:n" entry in writelog.txt tells where the command gave up.

void LogOpenFailure()
{
    LogFailPoint(__FILE__, __LINE__);
}

void LogFailure(AtOutcome outcome)
{
    switch (outcome) {
    case AtOutcome::NoPort: LogFailPoint(__FILE__, __LINE__); break;
    case AtOutcome::SendFailed: LogFailPoint(__FILE__, __LINE__); break;
    case AtOutcome::AnswerTimeout: LogFailPoint(__FILE__, __LINE__); break;
    case AtOutcome::CompletionTimeout: LogFailPoint(__FILE__, __LINE__); break;
    case AtOutcome::ErrorAnswer: LogFailPoint(__FILE__, __LINE__); break;
    case AtOutcome::ErrorAnswerLater: LogFailPoint(__FILE__, __LINE__); break;
    case AtOutcome::UnexpectedAnswer: LogFailPoint(__FILE__, __LINE__); break;
    case AtOutcome::FirstStepTimeout: LogFailPoint(__FILE__, __LINE__); break;
    case AtOutcome::SecondStepTimeout: LogFailPoint(__FILE__, __LINE__); break;
    // Answers and refusals are not failures of the transaction.
    case AtOutcome::Success:
    case AtOutcome::Declined:
    case AtOutcome::Silence:
    case AtOutcome::Refused: break;
    }
}

// The USB-mode commands report only to the trace channel.
enum class Logging { FailureEntries, TraceOnly };

int Finish(AtOutcome outcome, Logging logging = Logging::FailureEntries)
{
    if (logging == Logging::FailureEntries)
        LogFailure(outcome);
    return AtResult(outcome);
}

// ---------------------------------------------------------------------------
// Texts shared by the rows.

constexpr const char* kTimeout1 = "ERROR: ate item timeout1!\n";
constexpr const char* kTimeout2 = "ERROR: ate item timeout2!\n";
constexpr const char* kTimeout3 = "ERROR: ate item timeout3!\n";
constexpr const char* kTimeout4 = "ERROR: ate item timeout4!\n";
constexpr const char* kTimeout5 = "ERROR: ate item timeout5!\n";
constexpr const char* kTimeout6 = "ERROR: ate item timeout6!\n";
constexpr const char* kTimeout7 = "ERROR: ate item timeout7!\n";
constexpr const char* kTimeout8 = "ERROR: ate item timeout8!\n";
constexpr const char* kTimeout9 = "ERROR: ate item timeout9!\n";
constexpr const char* kTimeout10 = "ERROR: ate item timeout10!\n";
constexpr const char* kTimeout11 = "ERROR: ate item timeout11!\n";
constexpr const char* kTimeout12 = "ERROR: ate item timeout12!\n";
constexpr const char* kTimeout13 = "ERROR: ate item timeout13!\n";
constexpr const char* kTimeout14 = "ERROR: ate item timeout14!\n";
constexpr const char* kTimeoutUsb = "ERROR: ate item timeout!\n";

constexpr AtTimeoutTraces kCounted1And2 {kTimeout1, kTimeout2, true};
constexpr AtTimeoutTraces kTraces11And12 {kTimeout11, kTimeout12, false};
constexpr AtTimeoutTraces kTracesUsb {kTimeoutUsb, kTimeoutUsb, false};

constexpr const char* kSnErrorText = "*CME ERROR:";

constexpr auto kAfter = AtFinalPurge::AfterCompletionPhase;
constexpr auto kAlways = AtFinalPurge::Always;
constexpr auto kNever = AtFinalPurge::Never;

// ---------------------------------------------------------------------------
// The query-shaped commands, one row each:
// request, {before purge, after purge, answer delay}, time-out traces,
// answers looked for, error text, final purge.

constexpr AtQuerySpec kReadImei {"*MRD_IMEI?", {0, 91, 473}, kCounted1And2, {"*MRD_IMEI:"}, nullptr, kAfter};
constexpr AtQuerySpec kReadMac {"+KAVOMAC?", {193, 91, 473}, {kTimeout5, kTimeout6, false}, {"+KAVOMAC: "}, nullptr, kAfter};
constexpr AtQuerySpec kReadVersion {"*READVER", {193, 0, 91}, {kTimeout9, kTimeout10, false}, {"release_version:"}, nullptr, kAfter};
constexpr AtQuerySpec kReadSn {"*MRD_SN?", {193, 91, 473}, kTraces11And12, {"*MRD_SN:"}, kSnErrorText, kAfter};
constexpr AtQuerySpec kReadSsid {"+KAVOSSID?", {193, 91, 193}, kTraces11And12, {"+KAVOSSID:"}, nullptr, kAfter};
constexpr AtQuerySpec kReadPcbaSn {"*MRD_SECOND_SN?", {193, 91, 473}, kTraces11And12, {"*MRD_SECOND_SN:"}, kSnErrorText, kAfter};

constexpr AtQuerySpec kReadRssi {"+CESQ", {0, 91, 473}, kCounted1And2, {"+CESQ:"}, nullptr, kAfter};
constexpr AtQuerySpec kDetectSim {"*SIMDETEC=1", {193, 91, 193}, kTraces11And12, {"*SIMDETEC: SIM", "*SIMDETEC: NOS"}, nullptr, kAlways};
constexpr AtQuerySpec kReadSdCard {"+SDCARD?", {193, 91, 193}, kTraces11And12, {"+SDCARD:"}, nullptr, kAlways};
constexpr AtQuerySpec kReadWifiState {"+WIFIFUN?", {193, 91, 0}, kTraces11And12, {"+WIFIFUN:"}, nullptr, kNever};
constexpr AtQuerySpec kCheckCharger {"+func=14,2", {193, 91, 0}, kTraces11And12, {"+FUNC CHG:Charging", "+FUNC CHG:Charger removed"}, nullptr, kNever};
constexpr AtQuerySpec kReadUsbMode {"+kavousbmode?", {91, 0, 473}, kTracesUsb, {"+KAVOUSBMODE:"}, nullptr, kNever};
constexpr AtQuerySpec kReadPnLock {"+clck=PN,2", {0, 91, 473}, kCounted1And2, {"*CLCK:"}, nullptr, kAfter};

constexpr AtQuerySpec kLcdOn {"+FUNC=23,1", {193, 91, 0}, kTraces11And12, {"+FUNC LCD:Light up LCD"}, nullptr, kAfter};
constexpr AtQuerySpec kLcdOff {"+FUNC=23,0", {193, 91, 0}, kTraces11And12, {"+FUNC LCD:Resume LCD"}, nullptr, kAfter};
constexpr AtQuerySpec kLedAllOn {"+FUNC=11,1", {193, 91, 0}, kTraces11And12, {"+FUNC:ALL LED ON"}, nullptr, kAfter};
constexpr AtQuerySpec kKeyTestStart {"+FUNC=2,1", {193, 91, 0}, kTraces11And12, {"+FUNC KEY:Waiting For Press"}, nullptr, kAfter};
constexpr AtQuerySpec kKeyTestStop {"+FUNC=2,0", {193, 91, 0}, kTraces11And12, {"+FUNC KEY:1"}, nullptr, kAfter};

// A calibration file is present when its reply holds the digit 1, absent when
// it holds only 0. The requests hold no digit, so an echo cannot answer.
constexpr AtQuerySpec CalFileQuery(const char* request)
{
    return {request, {193, 91, 0}, kTraces11And12, {"1", "0"}, nullptr, kNever};
}
constexpr AtQuerySpec kCalFiles[] = {
    CalFileQuery("*MRD_CDF=q,GsmCalData.nvm"),
    CalFileQuery("*MRD_CDF=q,TdCalData.nvm"),
    CalFileQuery("*MRD_CDF=q,LteCalData.nvm"),
    CalFileQuery("*MRD_CDF=q,aplp_rf_analysis.nvm"),
    CalFileQuery("*MRD_CDF=q,aplp_rf_calibration.nvm"),
};

// ---------------------------------------------------------------------------
// Writes and actions.

struct WriteRow {
    AtTwoStepSpec steps;
    const char* secondPrefix;  // the W request is this text followed by the value
    int maxValue;
};

constexpr WriteRow kWriteImei {{"*MRD_IMEI=D", 193, 773, kTimeout3, kTimeout4}, "*MRD_IMEI=W,,,", kWriteImeiMax};
constexpr WriteRow kWriteMac {{"+KAVOMAC=D", 193, 773, kTimeout7, kTimeout8}, "+KAVOMAC=W,", kWriteMacMax};
constexpr WriteRow kWriteSn {{"*MRD_SN=D", 193, 773, kTimeout13, kTimeout14}, "*MRD_SN=W,,,", kWriteSnMax};
constexpr AtTwoStepSpec kWriteUsbMode {"+kavousbmode=d", 91, 473, kTimeoutUsb, kTimeoutUsb};
constexpr const char* kUsbModeRequestPrefix = "+kavousbmode=w,";
constexpr int kWritableUsbModes[] = {0, 2, 4, 5};

constexpr AtDelays kPnActionDelays {0, 91, 473};
constexpr AtTimeoutTraces kPnActionTraces {kTimeout1, nullptr, true};
constexpr const char* kLockRequest = "+clck=PN,1";
constexpr const char* kUnlockRequestPrefix = "+clck=PN,0,";

constexpr AtDelays kFireAndForgetDelays {193, 91, 0};

// The key report: 0 means the key worked, 2 that it failed.
constexpr std::array<const char*, 2> kKeyReportDigits {"0", "2"};

// Refuses a value that its request cannot carry, before anything is sent.
bool Fits(const char* what, const char* value, int max)
{
    const size_t length = std::strlen(value);
    if (length <= static_cast<size_t>(max))
        return true;
    char text[160];
    std::snprintf(text, sizeof text, "ERROR: %s of %zu characters refused, at most %d fit the request!\n", what,
                  length, max);
    TraceOut(text);
    return false;
}

int RunWrite(const WriteRow& row, const char* what, const char* value)
{
    if (!Fits(what, value, row.maxValue))
        return Finish(AtOutcome::Refused);
    return Finish(RunTwoStepWrite(row.steps, std::string(row.secondPrefix) + value));
}

void PutText(char* out, const char* text)
{
    std::memcpy(out, text, std::strlen(text) + 1);
}

// The character right after an answer's colon, or two places after it.
char CharacterAt(const AtMatch& match, int offset)
{
    for (int i = 0; i < offset; ++i) {
        if (match.value[i] == '\0')
            return '\0';
    }
    return match.value[offset];
}

}  // namespace

// ---------------------------------------------------------------------------
// Port.

int AtOpen(const char* devicePath)
{
    if (AtPortOpen(devicePath))
        return 1;
    LogOpenFailure();
    return 0;
}

int AtClose()
{
    AtPortClose();
    return 1;
}

// ---------------------------------------------------------------------------
// Identity queries.

int AtReadImei(char* imei)
{
    return Finish(RunQuery(kReadImei, [&](const AtMatch& m) { CopyValue(m.value, imei, kImeiMax); }));
}

int AtReadMac(char* mac)
{
    return Finish(RunQuery(kReadMac, [&](const AtMatch& m) { CopyMacValue(m.value, mac, kMacMax); }));
}

int AtReadVersion(char* version, char* releaseTime)
{
    static constexpr const char* kReleaseTime = "release_time:";
    return Finish(RunQuery(kReadVersion, [&](const AtMatch& m) {
        CopyValue(m.value, version, kVersionMax);
        if (const char* time = std::strstr(m.chunk, kReleaseTime))
            CopyValue(time + std::strlen(kReleaseTime), releaseTime, kVersionMax);
    }));
}

int AtReadSn(char* sn)
{
    return Finish(RunQuery(kReadSn, [&](const AtMatch& m) { CopyValue(m.value, sn, kSnMax, OkStop::AtLineStart); }));
}

int AtReadSsid(char* ssid)
{
    return Finish(
        RunQuery(kReadSsid, [&](const AtMatch& m) { CopyValue(m.value, ssid, kSsidMax, OkStop::AtLineStart); }));
}

int AtReadPcbaSn(char* pcbaSn)
{
    return Finish(RunQuery(kReadPcbaSn,
                           [&](const AtMatch& m) { CopyValue(m.value, pcbaSn, kPcbaSnMax, OkStop::AtLineStart); }));
}

// ---------------------------------------------------------------------------
// Status and test queries.

int AtReadRssi(char* rssi2g, char* rssi3g, char* rssi4g)
{
    return Finish(RunQuery(kReadRssi, [&](const AtMatch& m) {
        ParseCesqFields(m.value, rssi2g, rssi3g, rssi4g, kRssiFieldSize);
    }));
}

int AtDetectSim(char* status)
{
    int answer = -1;
    return Finish(RunQuery(
        kDetectSim, [&](const AtMatch& m) { answer = m.answer; },
        [&] {
            if (answer == 0) {
                PutText(status, "SIM inserted");
                return AtOutcome::Success;
            }
            PutText(status, "SIM not inserted");
            return AtOutcome::Declined;
        }));
}

int AtReadSdCard(char* status)
{
    char state = '\0';
    return Finish(RunQuery(
        kReadSdCard, [&](const AtMatch& m) { state = CharacterAt(m, 0); },
        [&] {
            switch (state) {
            case '0': PutText(status, "SD inserted"); return AtOutcome::Success;
            case '1': PutText(status, "SD Filesys is not FAT32"); return AtOutcome::Declined;
            case '2': PutText(status, "SD cannot read"); return AtOutcome::Declined;
            case '3': PutText(status, "SD not inserted"); return AtOutcome::Declined;
            default: return AtOutcome::UnexpectedAnswer;
            }
        }));
}

int AtReadWifiState()
{
    char state = '\0';
    return Finish(RunQuery(
        kReadWifiState, [&](const AtMatch& m) { state = CharacterAt(m, 0); },
        [&] {
            switch (state) {
            case '1': return AtOutcome::Success;
            case '0':
            case '2': return AtOutcome::Declined;
            default: return AtOutcome::UnexpectedAnswer;
            }
        }));
}

int AtCheckCharger(char* verdict)
{
    int answer = -1;
    return Finish(RunQuery(
        kCheckCharger, [&](const AtMatch& m) { answer = m.answer; },
        [&] {
            PutText(verdict, answer == 0 ? "PASS" : "FAIL");
            return answer == 0 ? AtOutcome::Success : AtOutcome::Declined;
        }));
}

int AtQueryCalFile(CalFile file)
{
    int answer = -1;
    return Finish(RunQuery(
        kCalFiles[static_cast<int>(file)], [&](const AtMatch& m) { answer = m.answer; },
        [&] { return answer == 0 ? AtOutcome::Success : AtOutcome::Declined; }));
}

int AtReadUsbMode(char* mode)
{
    const AtOutcome outcome = RunModeQuery(kReadUsbMode, [&](const AtMatch& m) {
        *mode = m.answer == 0 ? CharacterAt(m, 0) : '0';
    });
    return Finish(outcome, Logging::TraceOnly);
}

int AtReadPnLock(char* state)
{
    return Finish(RunQuery(kReadPnLock, [&](const AtMatch& m) {
        switch (CharacterAt(m, 1)) {
        case '0': PutText(state, "LOCK"); break;
        case '1': PutText(state, "UNLOCK"); break;
        default: PutText(state, "UNKNOWN"); break;
        }
    }));
}

// ---------------------------------------------------------------------------
// Writes and control commands.

int AtWriteImei(const char* imei)
{
    return RunWrite(kWriteImei, "IMEI", imei);
}

int AtWriteMac(const char* mac)
{
    return RunWrite(kWriteMac, "MAC", mac);
}

int AtWriteSn(const char* sn)
{
    return RunWrite(kWriteSn, "SN", sn);
}

int AtWriteUsbMode(int mode)
{
    bool writable = false;
    for (int m : kWritableUsbModes)
        writable = writable || m == mode;
    if (!writable) {
        char text[96];
        std::snprintf(text, sizeof text, "ERROR: USB mode %d refused, only 0, 2, 4 and 5 can be written!\n", mode);
        TraceOut(text);
        return Finish(AtOutcome::Refused, Logging::TraceOnly);
    }
    const std::string request = kUsbModeRequestPrefix + std::to_string(mode);
    return Finish(RunTwoStepWrite(kWriteUsbMode, request), Logging::TraceOnly);
}

int AtLockPn(char* result)
{
    const AtOutcome outcome = RunActionWithVerdict(kLockRequest, kPnActionDelays, kPnActionTraces);
    if (outcome == AtOutcome::Success)
        PutText(result, "LOCK SUCCESS");
    else if (outcome == AtOutcome::ErrorAnswer)
        PutText(result, "LOCK FAIL");
    return Finish(outcome);
}

int AtUnlockPn(const char* code, char* result)
{
    if (!Fits("unlock code", code, kUnlockCodeMax))
        return Finish(AtOutcome::Refused);
    const std::string request = std::string(kUnlockRequestPrefix) + code;
    const AtOutcome outcome = RunActionWithVerdict(request.c_str(), kPnActionDelays, kPnActionTraces);
    if (outcome == AtOutcome::Success)
        PutText(result, "UNLOCK SUCCESS");
    else if (outcome == AtOutcome::ErrorAnswer)
        PutText(result, "UNLOCK FAIL");
    return Finish(outcome);
}

int AtPowerOff()
{
    return Finish(RunFireAndForget("+POWEROFF", kFireAndForgetDelays));
}

int AtReset()
{
    return Finish(RunFireAndForget("+RESET", kFireAndForgetDelays));
}

int AtRestore()
{
    return Finish(RunFireAndForget("+RSTSET", kFireAndForgetDelays));
}

int AtLcdOn()
{
    return Finish(RunQuery(kLcdOn));
}

int AtLcdOff()
{
    return Finish(RunQuery(kLcdOff));
}

int AtLedAllOn()
{
    return Finish(RunQuery(kLedAllOn));
}

int AtKeyTestStart()
{
    return Finish(RunQuery(kKeyTestStart));
}

int AtKeyTestStop()
{
    return Finish(RunQuery(kKeyTestStop));
}

int AtPollKeyReport(char* result)
{
    int heard = -1;
    const AtOutcome outcome = RunListen(kKeyReportDigits, kKeyReportPollLimit, heard);
    if (outcome == AtOutcome::Success)
        PutText(result, heard == 0 ? "PASS" : "FAIL");
    return Finish(outcome);
}
