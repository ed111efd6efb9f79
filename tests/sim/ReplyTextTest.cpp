// What the unit answers to each request, byte for byte, and the properties of
// those answers that the station's parsing depends on.

#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace sim {
namespace {

using test::Ask;
using test::Immediate;

struct ReplyCase {
    const char* name;
    const char* request;
    const char* reply;
};

void PrintTo(const ReplyCase& c, std::ostream* os)
{
    *os << c.name;
}


class DefaultReply : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(DefaultReply, IsExactWireText)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_EQ(Ask(unit, GetParam().request), GetParam().reply);
}

constexpr const char* kOk = "\r\nOK\r\n";

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, DefaultReply,
    ::testing::Values(
        ReplyCase {"Imei", "*MRD_IMEI?", "\r\n*MRD_IMEI:867400012345678\r\n\r\nOK\r\n"},
        ReplyCase {"Mac", "+KAVOMAC?", "\r\n+KAVOMAC: a4:5e:60:c1:22:9f\r\n\r\nOK\r\n"},
        ReplyCase {"Version", "*READVER",
                   "\r\nrelease_version:RZ_V1.2.2_B05\r\nrelease_time:2026-10-14 10:31:07\r\n\r\nOK\r\n"},
        ReplyCase {"Sn", "*MRD_SN?", "\r\n*MRD_SN:RZ26A0145871\r\n\r\nOK\r\n"},
        ReplyCase {"PcbaSn", "*MRD_SECOND_SN?", "\r\n*MRD_SECOND_SN:PB26A0145871\r\n\r\nOK\r\n"},
        ReplyCase {"Ssid", "+KAVOSSID?", "\r\n+KAVOSSID:RURIZUDA-229F\r\n\r\nOK\r\n"},
        ReplyCase {"Signal", "+CESQ", "\r\n+CESQ: 63,0,,,20,45\r\n\r\nOK\r\n"},
        ReplyCase {"Sim", "*SIMDETEC=1", "\r\n*SIMDETEC: SIM\r\n\r\nOK\r\n"},
        ReplyCase {"SdCard", "+SDCARD?", "\r\n+SDCARD:0\r\n\r\nOK\r\n"},
        ReplyCase {"Wifi", "+WIFIFUN?", "\r\n+WIFIFUN:1\r\n\r\nOK\r\n"},
        ReplyCase {"Charger", "+func=14,2", "\r\n+FUNC CHG:Charging\r\n\r\nOK\r\n"},
        ReplyCase {"CalGsm", "*MRD_CDF=q,GsmCalData.nvm", "\r\n*MRD_CDF:1\r\n\r\nOK\r\n"},
        ReplyCase {"CalTd", "*MRD_CDF=q,TdCalData.nvm", "\r\n*MRD_CDF:1\r\n\r\nOK\r\n"},
        ReplyCase {"CalLte", "*MRD_CDF=q,LteCalData.nvm", "\r\n*MRD_CDF:1\r\n\r\nOK\r\n"},
        ReplyCase {"CalRfAnalysis", "*MRD_CDF=q,aplp_rf_analysis.nvm", "\r\n*MRD_CDF:1\r\n\r\nOK\r\n"},
        ReplyCase {"CalRfCalibration", "*MRD_CDF=q,aplp_rf_calibration.nvm", "\r\n*MRD_CDF:1\r\n\r\nOK\r\n"},
        ReplyCase {"UsbMode", "+kavousbmode?", "\r\n+KAVOUSBMODE:0\r\n\r\nOK\r\n"},
        ReplyCase {"PnState", "+clck=PN,2", "\r\n*CLCK: 1\r\n\r\nOK\r\n"},
        ReplyCase {"PnLock", "+clck=PN,1", kOk},
        ReplyCase {"PnUnlock", "+clck=PN,0,12345678", kOk},
        ReplyCase {"PrepareImei", "*MRD_IMEI=D", kOk},
        ReplyCase {"PrepareMac", "+KAVOMAC=D", kOk},
        ReplyCase {"PrepareSn", "*MRD_SN=D", kOk},
        ReplyCase {"PrepareUsbMode", "+kavousbmode=d", kOk},
        ReplyCase {"PowerOff", "+POWEROFF", kOk},
        ReplyCase {"Reset", "+RESET", kOk},
        ReplyCase {"Restore", "+RSTSET", kOk},
        ReplyCase {"LcdOn", "+FUNC=23,1", "\r\n+FUNC LCD:Light up LCD\r\n\r\nOK\r\n"},
        ReplyCase {"LcdOff", "+FUNC=23,0", "\r\n+FUNC LCD:Resume LCD\r\n\r\nOK\r\n"},
        ReplyCase {"LedAllOn", "+FUNC=11,1", "\r\n+FUNC:ALL LED ON\r\n\r\nOK\r\n"},
        ReplyCase {"KeyTestStop", "+FUNC=2,0", "\r\n+FUNC KEY:1\r\n\r\nOK\r\n"},
        ReplyCase {"BareAttention", "", kOk},
        ReplyCase {"Unknown", "+BOGUS?", "\r\nERROR\r\n"},
        ReplyCase {"UnknownCalFilePrefixOnly", "*MRD_CDF", "\r\nERROR\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct StateCase {
    const char* name;
    std::function<void(UnitState&)> change;
    const char* request;
    const char* reply;
};

void PrintTo(const StateCase& c, std::ostream* os)
{
    *os << c.name;
}


class StateReply : public ::testing::TestWithParam<StateCase> {};

TEST_P(StateReply, FollowsTheUnitState)
{
    UnitSimulator unit({}, Immediate());
    GetParam().change(unit.State());
    EXPECT_EQ(Ask(unit, GetParam().request), GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(
    UnitStates, StateReply,
    ::testing::Values(
        StateCase {"MacUpperCase", [](UnitState& s) { s.macUpperCase = true; }, "+KAVOMAC?",
                   "\r\n+KAVOMAC: A4:5E:60:C1:22:9F\r\n\r\nOK\r\n"},
        StateCase {"SnError", [](UnitState& s) { s.snError = true; }, "*MRD_SN?",
                   "\r\n*CME ERROR: 100\r\n\r\nOK\r\n"},
        StateCase {"PcbaSnError", [](UnitState& s) { s.pcbaSnError = true; }, "*MRD_SECOND_SN?",
                   "\r\n*CME ERROR: 100\r\n\r\nOK\r\n"},
        StateCase {"NoSim", [](UnitState& s) { s.simPresent = false; }, "*SIMDETEC=1",
                   "\r\n*SIMDETEC: NOS\r\n\r\nOK\r\n"},
        StateCase {"SdAbsent", [](UnitState& s) { s.sdStateDigit = '3'; }, "+SDCARD?",
                   "\r\n+SDCARD:3\r\n\r\nOK\r\n"},
        StateCase {"WifiOff", [](UnitState& s) { s.wifiStateDigit = '0'; }, "+WIFIFUN?",
                   "\r\n+WIFIFUN:0\r\n\r\nOK\r\n"},
        StateCase {"ChargerRemoved", [](UnitState& s) { s.chargerConnected = false; }, "+func=14,2",
                   "\r\n+FUNC CHG:Charger removed\r\n\r\nOK\r\n"},
        StateCase {"NoSignal",
                   [](UnitState& s) { s.cesq = {"99", "99", "255", "255", "255", "255"}; }, "+CESQ",
                   "\r\n+CESQ: 99,99,255,255,255,255\r\n\r\nOK\r\n"},
        StateCase {"GsmCalMissing",
                   [](UnitState& s) { s.calFilePresent[static_cast<std::size_t>(CalFile::Gsm)] = false; },
                   "*MRD_CDF=q,GsmCalData.nvm", "\r\n*MRD_CDF:0\r\n\r\nOK\r\n"},
        StateCase {"OtherCalFileUnaffected",
                   [](UnitState& s) { s.calFilePresent[static_cast<std::size_t>(CalFile::Gsm)] = false; },
                   "*MRD_CDF=q,TdCalData.nvm", "\r\n*MRD_CDF:1\r\n\r\nOK\r\n"},
        StateCase {"RfCalibrationMissing",
                   [](UnitState& s) {
                       s.calFilePresent[static_cast<std::size_t>(CalFile::RfCalibration)] = false;
                   },
                   "*MRD_CDF=q,aplp_rf_calibration.nvm", "\r\n*MRD_CDF:0\r\n\r\nOK\r\n"},
        StateCase {"UnknownCalFileAbsent", [](UnitState&) {}, "*MRD_CDF=q,Other.nvm",
                   "\r\n*MRD_CDF:0\r\n\r\nOK\r\n"},
        StateCase {"UsbModeFive", [](UnitState& s) { s.usbModeDigit = '5'; }, "+kavousbmode?",
                   "\r\n+KAVOUSBMODE:5\r\n\r\nOK\r\n"},
        StateCase {"UsbModeBareOk", [](UnitState& s) { s.usbModeWithoutPrefix = true; }, "+kavousbmode?",
                   "\r\nOK\r\n"},
        StateCase {"PnLocked", [](UnitState& s) { s.pnLocked = true; }, "+clck=PN,2",
                   "\r\n*CLCK: 0\r\n\r\nOK\r\n"},
        StateCase {"PnStateOverride", [](UnitState& s) { s.pnStateDigit = '2'; }, "+clck=PN,2",
                   "\r\n*CLCK: 2\r\n\r\nOK\r\n"},
        StateCase {"VersionTexts",
                   [](UnitState& s) {
                       s.version = "V9";
                       s.releaseTime = "T9";
                   },
                   "*READVER", "\r\nrelease_version:V9\r\nrelease_time:T9\r\n\r\nOK\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandNames, AreMatchedWithoutRegardToCase)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_EQ(Ask(unit, "*mrd_imei?"), "\r\n*MRD_IMEI:867400012345678\r\n\r\nOK\r\n");
    EXPECT_EQ(Ask(unit, "+FUNC=14,2"), "\r\n+FUNC CHG:Charging\r\n\r\nOK\r\n");
    EXPECT_EQ(Ask(unit, "+KAVOUSBMODE?"), "\r\n+KAVOUSBMODE:0\r\n\r\nOK\r\n");
}

TEST(CommandNames, NeedTheWholeRequestText)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_EQ(Ask(unit, "*MRD_IMEI?X"), "\r\nERROR\r\n");
    EXPECT_EQ(Ask(unit, "*MRD_IMEI"), "\r\nERROR\r\n");
}

std::size_t CountOf(const std::string& text, char c)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// The station reads the calibration verdict as any 1, else any 0, in what it
// receives; nothing else in the reply may carry either digit.
TEST(DigitScannedReplies, CalibrationReplyHoldsOnlyTheVerdictDigit)
{
    for (const bool present : {true, false}) {
        for (const bool echo : {false, true}) {
            SimOptions options = Immediate();
            options.echo = echo;
            UnitSimulator unit({}, options);
            unit.State().calFilePresent.fill(present);
            const std::string reply = Ask(unit, "*MRD_CDF=q,aplp_rf_calibration.nvm");
            SCOPED_TRACE(reply);
            EXPECT_EQ(CountOf(reply, '1'), present ? 1U : 0U);
            EXPECT_EQ(CountOf(reply, '0'), present ? 0U : 1U);
        }
    }
}

// The station takes any 0 it reads after the key test started as a pass and
// any 2 as a failure.
TEST(DigitScannedReplies, KeyReportHoldsOnlyTheVerdictDigit)
{
    for (const char verdict : {'0', '2'}) {
        UnitSimulator unit({}, Immediate());
        unit.State().keyReportDigit = verdict;
        const std::vector<TimedWrite> writes = unit.Receive(test::Line("+FUNC=2,1"));
        ASSERT_EQ(writes.size(), 2U);
        EXPECT_EQ(writes[0].bytes, "\r\n+FUNC KEY:Waiting For Press\r\n\r\nOK\r\n");
        EXPECT_EQ(writes[1].bytes, std::string("\r\n+FUNC KEY:") + verdict + "\r\n");
        const char other = verdict == '0' ? '2' : '0';
        EXPECT_EQ(CountOf(writes[1].bytes, verdict), 1U);
        EXPECT_EQ(CountOf(writes[1].bytes, other), 0U);
    }
}

// The station reads the character right after "+KAVOUSBMODE:" and the one two
// places after the colon of "*CLCK:".
TEST(PositionalReplies, DigitsSitWhereTheStationLooks)
{
    UnitSimulator unit({}, Immediate());
    unit.State().usbModeDigit = '4';
    const std::string usb = Ask(unit, "+kavousbmode?");
    const std::size_t usbPrefix = usb.find("+KAVOUSBMODE:");
    ASSERT_NE(usbPrefix, std::string::npos);
    EXPECT_EQ(usb[usbPrefix + 13], '4');

    unit.State().pnLocked = true;
    const std::string pn = Ask(unit, "+clck=PN,2");
    const std::size_t colon = pn.find("*CLCK:") + 5;
    EXPECT_EQ(pn[colon + 2], '0');
}

}  // namespace
}  // namespace sim
