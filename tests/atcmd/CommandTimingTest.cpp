// Every command's request on the wire and its delays around the purge, the
// request and the answer, with the unit answering in one chunk.
#include <cstring>
#include <functional>

#include "tests/atcmd/AtTestSupport.h"

namespace {

using Events = std::vector<std::string>;

struct TimingRow {
    const char* name;
    std::function<int()> call;
    std::vector<std::string> chunks;  // the unit's answers, one chunk each
    Events events;                    // "read" stands for a read that delivered bytes
    int result;
};

char out[64];
char out2[64];
char out3[64];

std::string W(const char* request)
{
    return std::string("write AT") + request + "\\r\\n";
}

// A query: 193 ms, purge, 91 ms, request, answer delay, the answer chunk.
Events Query(const char* request, int answerDelay, Events tail = {})
{
    Events e {"sleep 193", "purge", "sleep 91", W(request)};
    if (answerDelay)
        e.push_back("sleep " + std::to_string(answerDelay));
    e.push_back("read");
    e.insert(e.end(), tail.begin(), tail.end());
    return e;
}

// The same without the 193 ms before the purge.
Events PromptQuery(const char* request, Events tail = {})
{
    Events e {"purge", "sleep 91", W(request), "sleep 473", "read"};
    e.insert(e.end(), tail.begin(), tail.end());
    return e;
}

Events TwoStep(const char* first, const char* second, int before, int firstDelay)
{
    return {"sleep " + std::to_string(before), "purge", W(first), "sleep " + std::to_string(firstDelay), "read",
            "sleep 91", "purge", W(second), "sleep 773", "read"};
}

const Events kFinalPurge {"purge", "sleep 91"};

std::vector<TimingRow> Rows()
{
    const std::string ok = "\r\nOK\r\n";
    return {
        {"ReadImei", [] { return AtReadImei(out); }, {Reply("*MRD_IMEI:867400012345678")}, PromptQuery("*MRD_IMEI?"), 1},
        {"ReadMac", [] { return AtReadMac(out); }, {Reply("+KAVOMAC: a4:5e:60:c1:22:9f")}, Query("+KAVOMAC?", 473), 1},
        {"ReadVersion", [] { return AtReadVersion(out, out2); }, {Reply("release_version:V1\r\nrelease_time:T")},
         {"sleep 193", "purge", W("*READVER"), "sleep 91", "read"}, 1},
        {"ReadSn", [] { return AtReadSn(out); }, {Reply("*MRD_SN:SN1")}, Query("*MRD_SN?", 473), 1},
        {"ReadSsid", [] { return AtReadSsid(out); }, {Reply("+KAVOSSID:NET-1")}, Query("+KAVOSSID?", 193), 1},
        {"ReadPcbaSn", [] { return AtReadPcbaSn(out); }, {Reply("*MRD_SECOND_SN:P1")}, Query("*MRD_SECOND_SN?", 473), 1},
        {"ReadRssi", [] { return AtReadRssi(out, out2, out3); }, {Reply("+CESQ: 63,0,,,20,45")}, PromptQuery("+CESQ"), 1},
        {"DetectSim", [] { return AtDetectSim(out); }, {Reply("*SIMDETEC: SIM")}, Query("*SIMDETEC=1", 193, kFinalPurge), 1},
        {"ReadSdCard", [] { return AtReadSdCard(out); }, {Reply("+SDCARD:0")}, Query("+SDCARD?", 193, kFinalPurge), 1},
        {"ReadWifiState", [] { return AtReadWifiState(); }, {Reply("+WIFIFUN:1")}, Query("+WIFIFUN?", 0), 1},
        {"CheckCharger", [] { return AtCheckCharger(out); }, {Reply("+FUNC CHG:Charging")}, Query("+func=14,2", 0), 1},
        {"CalGsm", [] { return AtQueryCalFile(CalFile::Gsm); }, {Reply("*MRD_CDF: 1")}, Query("*MRD_CDF=q,GsmCalData.nvm", 0), 1},
        {"CalTd", [] { return AtQueryCalFile(CalFile::Td); }, {Reply("*MRD_CDF: 1")}, Query("*MRD_CDF=q,TdCalData.nvm", 0), 1},
        {"CalLte", [] { return AtQueryCalFile(CalFile::Lte); }, {Reply("*MRD_CDF: 1")}, Query("*MRD_CDF=q,LteCalData.nvm", 0), 1},
        {"CalRfAnalysis", [] { return AtQueryCalFile(CalFile::RfAnalysis); }, {Reply("*MRD_CDF: 1")},
         Query("*MRD_CDF=q,aplp_rf_analysis.nvm", 0), 1},
        {"CalRfCalibration", [] { return AtQueryCalFile(CalFile::RfCalibration); }, {Reply("*MRD_CDF: 1")},
         Query("*MRD_CDF=q,aplp_rf_calibration.nvm", 0), 1},
        {"ReadUsbMode", [] { return AtReadUsbMode(out); }, {Reply("+KAVOUSBMODE:2")},
         {"sleep 91", "purge", W("+kavousbmode?"), "sleep 473", "read", "sleep 91"}, 1},
        {"ReadPnLock", [] { return AtReadPnLock(out); }, {Reply("*CLCK: 0")}, PromptQuery("+clck=PN,2"), 1},
        {"WriteImei", [] { return AtWriteImei("867400012345678"); }, {ok, ok},
         TwoStep("*MRD_IMEI=D", "*MRD_IMEI=W,,,867400012345678", 193, 773), 1},
        {"WriteMac", [] { return AtWriteMac("A45E60C1229F"); }, {ok, ok},
         TwoStep("+KAVOMAC=D", "+KAVOMAC=W,A45E60C1229F", 193, 773), 1},
        {"WriteSn", [] { return AtWriteSn("SN0001"); }, {ok, ok}, TwoStep("*MRD_SN=D", "*MRD_SN=W,,,SN0001", 193, 773), 1},
        {"WriteUsbMode", [] { return AtWriteUsbMode(4); }, {ok, ok},
         TwoStep("+kavousbmode=d", "+kavousbmode=w,4", 91, 473), 1},
        {"LockPn", [] { return AtLockPn(out); }, {ok}, PromptQuery("+clck=PN,1"), 1},
        {"UnlockPn", [] { return AtUnlockPn("12345678", out); }, {ok}, PromptQuery("+clck=PN,0,12345678"), 1},
        {"PowerOff", [] { return AtPowerOff(); }, {}, {"sleep 193", "purge", "sleep 91", W("+POWEROFF"), "sleep 91", "purge"}, 1},
        {"Reset", [] { return AtReset(); }, {}, {"sleep 193", "purge", "sleep 91", W("+RESET"), "sleep 91", "purge"}, 1},
        {"Restore", [] { return AtRestore(); }, {}, {"sleep 193", "purge", "sleep 91", W("+RSTSET"), "sleep 91", "purge"}, 1},
        {"LcdOn", [] { return AtLcdOn(); }, {Reply("+FUNC LCD:Light up LCD")}, Query("+FUNC=23,1", 0), 1},
        {"LcdOff", [] { return AtLcdOff(); }, {Reply("+FUNC LCD:Resume LCD")}, Query("+FUNC=23,0", 0), 1},
        {"LedAllOn", [] { return AtLedAllOn(); }, {Reply("+FUNC:ALL LED ON")}, Query("+FUNC=11,1", 0), 1},
        {"KeyTestStart", [] { return AtKeyTestStart(); }, {Reply("+FUNC KEY:Waiting For Press")}, Query("+FUNC=2,1", 0), 1},
        {"KeyTestStop", [] { return AtKeyTestStop(); }, {Reply("+FUNC KEY:1")}, Query("+FUNC=2,0", 0), 1},
        {"PollKeyReport", [] { return AtPollKeyReport(out); }, {"\r\n+FUNC KEY:0\r\n"}, {"read"}, 1},
    };
}

Events Normalised(const Events& events)
{
    Events n;
    for (const auto& e : events)
        n.push_back(e.rfind("read ", 0) == 0 && e != "read 0" ? "read" : e);
    return n;
}

class CommandTiming : public OpenPort, public testing::WithParamInterface<TimingRow> {};

TEST_P(CommandTiming, RequestAndDelaysFollowTheContract)
{
    const TimingRow& row = GetParam();
    for (const auto& chunk : row.chunks)
        link.serial.Polls(0, chunk);
    std::memset(out, 0, sizeof out);
    EXPECT_EQ(row.call(), row.result);
    EXPECT_EQ(Normalised(link.clock.events), row.events);
    EXPECT_EQ(log.Entries(), 0);
    EXPECT_EQ(link.traces.texts, "");
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, CommandTiming, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<TimingRow>& info) { return info.param.name; });

}  // namespace
