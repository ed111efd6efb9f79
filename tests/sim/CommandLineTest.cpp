#include "sim/CommandLine.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

CommandLineResult Parse(std::vector<std::string> args)
{
    return ParseCommandLine(args);
}

ProgramConfig Accepted(std::vector<std::string> args)
{
    const CommandLineResult result = Parse(std::move(args));
    EXPECT_EQ(result.error, "");
    return result.config;
}

TEST(CommandLine, NoArgumentsGiveTheDefaultUnit)
{
    const ProgramConfig config = Accepted({});
    EXPECT_EQ(config.state.imei, UnitState {}.imei);
    EXPECT_FALSE(config.options.echo);
    EXPECT_EQ(config.options.answerDelayMs, kDefaultAnswerDelayMs);
    EXPECT_FALSE(config.log);
    EXPECT_FALSE(config.exitOnStdinClose);
}

TEST(CommandLine, IdentityOptionsSetTheUnitsIdentities)
{
    const ProgramConfig config = Accepted({"--imei", "356938035643809", "--version=V2", "--release-time",
                                           "2027-01-01 00:00:00", "--sn", "S1", "--pcba-sn", "P1", "--ssid",
                                           "NET-1", "--mac", "00-1A-2B-3C-4D-5E", "--mac-upper"});
    EXPECT_EQ(config.state.imei, "356938035643809");
    EXPECT_EQ(config.state.version, "V2");
    EXPECT_EQ(config.state.releaseTime, "2027-01-01 00:00:00");
    EXPECT_EQ(config.state.sn, "S1");
    EXPECT_EQ(config.state.pcbaSn, "P1");
    EXPECT_EQ(config.state.ssid, "NET-1");
    EXPECT_EQ(config.state.mac, "00:1a:2b:3c:4d:5e");
    EXPECT_TRUE(config.state.macUpperCase);
}

TEST(CommandLine, StatusOptionsSetTheUnitsState)
{
    const ProgramConfig config =
        Accepted({"--no-sim", "--sd", "7", "--wifi", "2", "--no-charger", "--cesq", "99,99,255,,255,", "--no-cal",
                  "td", "--no-cal", "rf-calibration", "--usb-mode", "4", "--usb-mode-no-prefix", "--pn-locked",
                  "--pn-state", "9", "--unlock-code", "111", "--key-report", "2", "--key-delay", "0",
                  "--withhold-d", "--version-two-writes", "--sn-error", "--pcba-sn-error"});
    const UnitState& s = config.state;
    EXPECT_FALSE(s.simPresent);
    EXPECT_EQ(s.sdStateDigit, '7');
    EXPECT_EQ(s.wifiStateDigit, '2');
    EXPECT_FALSE(s.chargerConnected);
    EXPECT_EQ(s.cesq, (std::array<std::string, 6>{"99", "99", "255", "", "255", ""}));
    EXPECT_EQ(s.calFilePresent, (std::array<bool, kCalFileCount>{true, false, true, true, false}));
    EXPECT_EQ(s.usbModeDigit, '4');
    EXPECT_TRUE(s.usbModeWithoutPrefix);
    EXPECT_TRUE(s.pnLocked);
    EXPECT_EQ(s.pnStateDigit, '9');
    EXPECT_EQ(s.unlockCode, "111");
    EXPECT_EQ(s.keyReportDigit, '2');
    EXPECT_EQ(s.keyReportDelayMs, 0);
    EXPECT_TRUE(s.withholdDAnswers);
    EXPECT_TRUE(s.versionInTwoWrites);
    EXPECT_TRUE(s.snError);
    EXPECT_TRUE(s.pcbaSnError);
}

TEST(CommandLine, TalkOptionsSetEchoDelaysAndFaults)
{
    const ProgramConfig config =
        Accepted({"--echo", "--delay", "0", "--read-gap", "300", "--log", "--exit-on-stdin-close", "--no-answer",
                  "+RESET", "--error-answer", "*MRD_SN?", "--split", "*MRD_IMEI?:7", "--cmd-delay", "+CESQ:250",
                  "--split", "all:2", "--no-answer=all", "--replay", "unit.trace"});
    EXPECT_TRUE(config.options.echo);
    EXPECT_EQ(config.options.answerDelayMs, 0);
    EXPECT_EQ(config.options.separateReadGapMs, 300);
    EXPECT_TRUE(config.log);
    EXPECT_TRUE(config.exitOnStdinClose);
    EXPECT_EQ(config.replayPath, "unit.trace");
    const FaultTable& faults = config.options.faults;
    EXPECT_EQ(faults.Lookup("+SDCARD?"), (CommandFault {true, false, 2, 0}));
    EXPECT_TRUE(faults.Lookup("*MRD_SN?").errorAnswer);
    EXPECT_EQ(faults.Lookup("*MRD_IMEI?").splitAt, 7U);
    EXPECT_EQ(faults.Lookup("+CESQ").extraDelayMs, 250);
}

TEST(CommandLine, HelpIsReportedAndListsTheOptions)
{
    const CommandLineResult result = Parse({"--help"});
    EXPECT_TRUE(result.helpRequested);
    const std::string usage = UsageText("sim");
    for (const char* option : {"--imei IMEI", "--no-cal FILE", "--split CMD:OFFSET", "--cmd-delay CMD:MS", "--log"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

struct BadCase {
    const char* name;
    std::vector<std::string> args;
    const char* reasonPart;
};

void PrintTo(const BadCase& c, std::ostream* os)
{
    *os << c.name;
}

class BadCommandLine : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, IsRefusedWithOneLineReason)
{
    const CommandLineResult result = Parse(GetParam().args);
    EXPECT_NE(result.error.find(GetParam().reasonPart), std::string::npos) << result.error;
    EXPECT_EQ(result.error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, BadCommandLine,
    ::testing::Values(
        BadCase {"UnknownOption", {"--bogus"}, "unknown option '--bogus'"},
        BadCase {"PositionalArgument", {"imei"}, "unexpected argument"},
        BadCase {"BareDashes", {"--"}, "unexpected argument"},
        BadCase {"MissingValue", {"--imei"}, "needs a value"},
        BadCase {"ValueOnSwitch", {"--echo=yes"}, "takes no value"},
        BadCase {"TwoCharacterDigit", {"--sd", "12"}, "not a single character"},
        BadCase {"EmptyDigit", {"--key-report", ""}, "not a single character"},
        BadCase {"NegativeDelay", {"--delay", "-5"}, "not a delay"},
        BadCase {"DelayWithUnit", {"--key-delay", "5ms"}, "not a delay"},
        BadCase {"DelayTooLong", {"--delay", "600001"}, "not a delay"},
        BadCase {"ShortMac", {"--mac", "00:1A:2B:3C:4D"}, "not a MAC"},
        BadCase {"FiveSignalFields", {"--cesq", "1,2,3,4,5"}, "six comma-separated"},
        BadCase {"SevenSignalFields", {"--cesq", "1,2,3,4,5,6,7"}, "six comma-separated"},
        BadCase {"UnknownCalFile", {"--no-cal", "wcdma"}, "not a calibration file"},
        BadCase {"SplitWithoutOffset", {"--split", "*MRD_IMEI?"}, "CMD:OFFSET"},
        BadCase {"SplitWithoutCommand", {"--split", ":4"}, "CMD:OFFSET"},
        BadCase {"CommandDelayNotANumber", {"--cmd-delay", "+CESQ:x"}, "CMD:MS"},
        BadCase {"ReplayWithoutTrace", {"--replay="}, "needs a TRACE"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sim
