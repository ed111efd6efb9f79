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
// Failure entries. Each command hands its outcome to Finish on a line of its
// own, and the "FILE:...,LINE:n" entry in writelog.txt names that line, so a
// test engineer can tell which command gave up.

void LogOpenFailure()
{
    LogFailPoint(__FILE__, __LINE__);
}

bool IsFailurePoint(AtOutcome outcome)
{
    switch (outcome) {
    case AtOutcome::NoPort:
    case AtOutcome::SendFailed:
    case AtOutcome::AnswerTimeout:
    case AtOutcome::CompletionTimeout:
    case AtOutcome::ErrorAnswer:
    case AtOutcome::ErrorAnswerLater:
    case AtOutcome::UnexpectedAnswer:
    case AtOutcome::FirstStepTimeout:
    case AtOutcome::SecondStepTimeout: return true;
    // Answers and refusals are not failures of the transaction.
    case AtOutcome::Success:
    case AtOutcome::Declined:
    case AtOutcome::Silence:
    case AtOutcome::Refused: return false;
    }
    return false;
}

// The USB-mode commands report only to the trace channel.
enum class Logging { FailureEntries, TraceOnly };

// `file` and `line` default to the caller's place (builtins that gcc and
// clang both have; not every compiler the project builds with has
// std::source_location).
int Finish(AtOutcome outcome, Logging logging = Logging::FailureEntries, const char* file = __builtin_FILE(),
           int line = __builtin_LINE())
{
    if (logging == Logging::FailureEntries && IsFailurePoint(outcome))
        LogFailPoint(file, line);
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

constexpr AtTimeoutTraces kCounted1And2 {.answer = kTimeout1, .completion = kTimeout2, .withCounter = true};
constexpr AtTimeoutTraces kTraces11And12 {.answer = kTimeout11, .completion = kTimeout12, .withCounter = false};
constexpr AtTimeoutTraces kTracesUsb {.answer = kTimeoutUsb, .completion = kTimeoutUsb, .withCounter = false};

constexpr const char* kSnErrorText = "*CME ERROR:";

constexpr auto kAfter = AtFinalPurge::AfterCompletionPhase;
constexpr auto kAlways = AtFinalPurge::Always;
constexpr auto kNever = AtFinalPurge::Never;

// ---------------------------------------------------------------------------
// The query-shaped commands, one row each.

constexpr AtQuerySpec kReadImei {
    .request = "*MRD_IMEI?",
    .delays = {.beforePurge = 0, .afterPurge = 91, .answer = 473},
    .traces = kCounted1And2,
    .answers = {"*MRD_IMEI:"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kReadMac {
    .request = "+KAVOMAC?",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 473},
    .traces = {.answer = kTimeout5, .completion = kTimeout6, .withCounter = false},
    .answers = {"+KAVOMAC: "},
    .errorText = nullptr,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kReadVersion {
    .request = "*READVER",
    .delays = {.beforePurge = 193, .afterPurge = 0, .answer = 91},
    .traces = {.answer = kTimeout9, .completion = kTimeout10, .withCounter = false},
    .answers = {"release_version:"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kReadSn {
    .request = "*MRD_SN?",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 473},
    .traces = kTraces11And12,
    .answers = {"*MRD_SN:"},
    .errorText = kSnErrorText,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kReadSsid {
    .request = "+KAVOSSID?",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 193},
    .traces = kTraces11And12,
    .answers = {"+KAVOSSID:"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kReadPcbaSn {
    .request = "*MRD_SECOND_SN?",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 473},
    .traces = kTraces11And12,
    .answers = {"*MRD_SECOND_SN:"},
    .errorText = kSnErrorText,
    .finalPurge = kAfter,
};

constexpr AtQuerySpec kReadRssi {
    .request = "+CESQ",
    .delays = {.beforePurge = 0, .afterPurge = 91, .answer = 473},
    .traces = kCounted1And2,
    .answers = {"+CESQ:"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kDetectSim {
    .request = "*SIMDETEC=1",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 193},
    .traces = kTraces11And12,
    .answers = {"*SIMDETEC: SIM", "*SIMDETEC: NOS"},
    .errorText = nullptr,
    .finalPurge = kAlways,
};
constexpr AtQuerySpec kReadSdCard {
    .request = "+SDCARD?",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 193},
    .traces = kTraces11And12,
    .answers = {"+SDCARD:"},
    .errorText = nullptr,
    .finalPurge = kAlways,
};
constexpr AtQuerySpec kReadWifiState {
    .request = "+WIFIFUN?",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 0},
    .traces = kTraces11And12,
    .answers = {"+WIFIFUN:"},
    .errorText = nullptr,
    .finalPurge = kNever,
};
constexpr AtQuerySpec kCheckCharger {
    .request = "+func=14,2",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 0},
    .traces = kTraces11And12,
    .answers = {"+FUNC CHG:Charging", "+FUNC CHG:Charger removed"},
    .errorText = nullptr,
    .finalPurge = kNever,
};
constexpr AtQuerySpec kReadUsbMode {
    .request = "+kavousbmode?",
    .delays = {.beforePurge = 91, .afterPurge = 0, .answer = 473},
    .traces = kTracesUsb,
    .answers = {"+KAVOUSBMODE:"},
    .errorText = nullptr,
    .finalPurge = kNever,
};
constexpr AtQuerySpec kReadPnLock {
    .request = "+clck=PN,2",
    .delays = {.beforePurge = 0, .afterPurge = 91, .answer = 473},
    .traces = kCounted1And2,
    .answers = {"*CLCK:"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};

constexpr AtQuerySpec kLcdOn {
    .request = "+FUNC=23,1",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 0},
    .traces = kTraces11And12,
    .answers = {"+FUNC LCD:Light up LCD"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kLcdOff {
    .request = "+FUNC=23,0",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 0},
    .traces = kTraces11And12,
    .answers = {"+FUNC LCD:Resume LCD"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kLedAllOn {
    .request = "+FUNC=11,1",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 0},
    .traces = kTraces11And12,
    .answers = {"+FUNC:ALL LED ON"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kKeyTestStart {
    .request = "+FUNC=2,1",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 0},
    .traces = kTraces11And12,
    .answers = {"+FUNC KEY:Waiting For Press"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};
constexpr AtQuerySpec kKeyTestStop {
    .request = "+FUNC=2,0",
    .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 0},
    .traces = kTraces11And12,
    .answers = {"+FUNC KEY:1"},
    .errorText = nullptr,
    .finalPurge = kAfter,
};

// A calibration file is present when its reply holds the digit 1, absent when
// it holds only 0. The requests hold no digit, so an echo cannot answer.
constexpr AtQuerySpec CalFileQuery(const char* request)
{
    return {
        .request = request,
        .delays = {.beforePurge = 193, .afterPurge = 91, .answer = 0},
        .traces = kTraces11And12,
        .answers = {"1", "0"},
        .errorText = nullptr,
        .finalPurge = kNever,
    };
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

constexpr WriteRow kWriteImei {
    .steps = {.firstRequest = "*MRD_IMEI=D", .beforeFirstPurgeMs = 193, .firstAnswerDelayMs = 773,
              .firstTimeoutTrace = kTimeout3, .secondTimeoutTrace = kTimeout4},
    .secondPrefix = "*MRD_IMEI=W,,,",
    .maxValue = kWriteImeiMax,
};
constexpr WriteRow kWriteMac {
    .steps = {.firstRequest = "+KAVOMAC=D", .beforeFirstPurgeMs = 193, .firstAnswerDelayMs = 773,
              .firstTimeoutTrace = kTimeout7, .secondTimeoutTrace = kTimeout8},
    .secondPrefix = "+KAVOMAC=W,",
    .maxValue = kWriteMacMax,
};
constexpr WriteRow kWriteSn {
    .steps = {.firstRequest = "*MRD_SN=D", .beforeFirstPurgeMs = 193, .firstAnswerDelayMs = 773,
              .firstTimeoutTrace = kTimeout13, .secondTimeoutTrace = kTimeout14},
    .secondPrefix = "*MRD_SN=W,,,",
    .maxValue = kWriteSnMax,
};
constexpr AtTwoStepSpec kWriteUsbMode {.firstRequest = "+kavousbmode=d", .beforeFirstPurgeMs = 91,
                                       .firstAnswerDelayMs = 473, .firstTimeoutTrace = kTimeoutUsb,
                                       .secondTimeoutTrace = kTimeoutUsb};
constexpr const char* kUsbModeRequestPrefix = "+kavousbmode=w,";
constexpr int kWritableUsbModes[] = {0, 2, 4, 5};

constexpr AtDelays kPnActionDelays {.beforePurge = 0, .afterPurge = 91, .answer = 473};
constexpr AtTimeoutTraces kPnActionTraces {.answer = kTimeout1, .completion = nullptr, .withCounter = true};
constexpr const char* kLockRequest = "+clck=PN,1";
constexpr const char* kUnlockRequestPrefix = "+clck=PN,0,";

constexpr AtDelays kFireAndForgetDelays {.beforePurge = 193, .afterPurge = 91, .answer = 0};

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

// The failure entry names the line of the command that called this.
int RunWrite(const WriteRow& row, const char* what, const char* value, const char* file = __builtin_FILE(),
             int line = __builtin_LINE())
{
    if (!Fits(what, value, row.maxValue))
        return Finish(AtOutcome::Refused, Logging::FailureEntries, file, line);
    const AtOutcome outcome = RunTwoStepWrite(row.steps, std::string(row.secondPrefix) + value);
    return Finish(outcome, Logging::FailureEntries, file, line);
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
