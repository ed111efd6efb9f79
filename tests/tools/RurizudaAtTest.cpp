// rurizuda-at against the unit simulator program, over a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tools/rurizuda-at/ToolCommands.h"

namespace {

struct Expectation {
    std::vector<std::string> args;  // COMMAND [VALUE]
    std::string out;                // everything printed
    int status;
};

// The simulator's unit state, as the options below set it, and what each
// command prints about it. Ordered so that writes are read back and the key
// report follows the key test's start.
std::vector<Expectation> Walk()
{
    return {
        {{"read-imei"}, "result=1\nimei=867400012345678\n", 0},
        {{"read-mac"}, "result=1\nmac=A4-5E-60-C1-22-9F\n", 0},
        {{"read-version"}, "result=1\nversion=RZ_V1.2.2_B05\nrelease_time=2026-10-14 10:31:07\n", 0},
        {{"read-sn"}, "result=1\nsn=RZ2026A0001\n", 0},
        {{"read-ssid"}, "result=1\nssid=BOOKSHOP-229F\n", 0},
        {{"read-pcba-sn"}, "result=0\npcba_sn=\n", 1},
        {{"read-rssi"}, "result=1\nrssi_2g=63\nrssi_3g=\nrssi_4g=45\n", 0},
        {{"detect-sim"}, "result=0\nsim=SIM not inserted\n", 1},
        {{"read-sd"}, "result=0\nsd=SD cannot read\n", 1},
        {{"read-wifi"}, "result=1\n", 0},
        {{"check-charger"}, "result=1\ncharger=PASS\n", 0},
        {{"query-cal-file", "gsm"}, "result=1\n", 0},
        {{"query-cal-file", "td"}, "result=1\n", 0},
        {{"query-cal-file", "lte"}, "result=0\n", 1},
        {{"query-cal-file", "rf-analysis"}, "result=1\n", 0},
        {{"query-cal-file", "rf-calibration"}, "result=1\n", 0},
        {{"read-usb-mode"}, "result=1\nusb_mode=4\n", 0},
        {{"read-pn-lock"}, "result=1\npn_lock=UNLOCK\n", 0},
        {{"write-imei", "867400099999999"}, "result=1\n", 0},
        {{"read-imei"}, "result=1\nimei=867400099999999\n", 0},
        {{"write-mac", "0A1B2C3D4E5F"}, "result=1\n", 0},
        {{"read-mac"}, "result=1\nmac=0A-1B-2C-3D-4E-5F\n", 0},
        {{"write-sn", "--", "-RZ2026B0001"}, "result=1\n", 0},
        {{"read-sn"}, "result=1\nsn=-RZ2026B0001\n", 0},
        {{"write-sn", "RZ2026B0002"}, "result=1\n", 0},
        {{"read-sn"}, "result=1\nsn=RZ2026B0002\n", 0},
        {{"write-usb-mode", "2"}, "result=1\n", 0},
        {{"read-usb-mode"}, "result=1\nusb_mode=2\n", 0},
        {{"lock-pn"}, "result=1\nlock=LOCK SUCCESS\n", 0},
        {{"read-pn-lock"}, "result=1\npn_lock=LOCK\n", 0},
        {{"unlock-pn", "99999999"}, "result=0\nunlock=UNLOCK FAIL\n", 1},
        {{"unlock-pn", "24681357"}, "result=1\nunlock=UNLOCK SUCCESS\n", 0},
        {{"lcd-on"}, "result=1\n", 0},
        {{"lcd-off"}, "result=1\n", 0},
        {{"led-all-on"}, "result=1\n", 0},
        {{"key-test-start"}, "result=1\n", 0},
        {{"poll-key-report"}, "result=1\nkey=FAIL\n", 0},
        {{"key-test-stop"}, "result=1\n", 0},
        {{"restore"}, "result=1\n", 0},
        {{"reset"}, "result=1\n", 0},
        {{"power-off"}, "result=1\n", 0},
    };
}

TEST(RurizudaAt, WalksEveryCommandAgainstTheSimulator)
{
    TempWorkDir dir;
    ChildProcess simulator({UNIT_SIM_PROGRAM, "--sn", "RZ2026A0001", "--ssid", "BOOKSHOP-229F", "--pcba-sn-error",
                            "--no-sim", "--sd", "2", "--no-cal", "lte", "--usb-mode", "4", "--unlock-code",
                            "24681357", "--key-report", "2", "--key-delay", "1000"});
    const std::string port = simulator.ReadLine(5000);
    ASSERT_FALSE(port.empty());

    std::vector<std::string> walked;
    for (const auto& step : Walk()) {
        std::vector<std::string> argv {RURIZUDA_AT_PROGRAM, "--port", port};
        argv.insert(argv.end(), step.args.begin(), step.args.end());
        const ProgramRun run = RunProgram(argv);
        EXPECT_EQ(run.out, step.out) << step.args[0];
        EXPECT_EQ(run.status, step.status) << step.args[0];
        walked.push_back(step.args[0]);
    }
    for (const auto& command : ToolCommands())
        EXPECT_NE(std::find(walked.begin(), walked.end(), command.name), walked.end()) << command.name;
}

TEST(RurizudaAt, UsageErrorsAndUnopenablePortExitWithTwo)
{
    TempWorkDir dir;
    EXPECT_EQ(RunProgram({RURIZUDA_AT_PROGRAM}).status, 2);
    EXPECT_EQ(RunProgram({RURIZUDA_AT_PROGRAM, "--port", "/dev/null", "no-such-command"}).status, 2);
    EXPECT_EQ(RunProgram({RURIZUDA_AT_PROGRAM, "--port", "/dev/null", "write-usb-mode", "3"}).status, 2);
    EXPECT_EQ(RunProgram({RURIZUDA_AT_PROGRAM, "--port", "/dev/null", "read-imei", "extra"}).status, 2);
    EXPECT_EQ(RunProgram({RURIZUDA_AT_PROGRAM, "--port", "/dev/null", "write-imei"}).status, 2);
    const ProgramRun missing = RunProgram({RURIZUDA_AT_PROGRAM, "--port", "/dev/ttyNO_SUCH", "read-imei"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    // The failed open is a failure point of the AT module.
    EXPECT_NE(ReadFileText(dir.Path() / "writelog.txt").find("Atcmd.cpp,LINE:"), std::string::npos);
    // A fifo is no serial port: refused at once instead of blocking in a read.
    const std::string fifo = (dir.Path() / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(RunProgram({RURIZUDA_AT_PROGRAM, "--port", fifo, "read-imei"}).status, 2);
}

TEST(RurizudaAt, HelpListsEveryCommand)
{
    const ProgramRun help = RunProgram({RURIZUDA_AT_PROGRAM, "--help"});
    EXPECT_EQ(help.status, 0);
    for (const auto& command : ToolCommands())
        EXPECT_NE(help.out.find(command.name), std::string::npos) << command.name;
}

TEST(EscapeNonPrintable, WritesControlBytesAsHex)
{
    EXPECT_EQ(EscapeNonPrintable("A-1\r\n\x7f\xff"), "A-1\\x0D\\x0A\\x7F\\xFF");
}

}  // namespace
