// The unlock-code rules, with LOCKCODE_COMMAND programs written as tiny
// scripts into a temporary folder and run for real, and the program runner
// beneath them.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "station/ProgramRunner.h"
#include "station/UnlockCode.h"
#include "tests/support/TempDir.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kImei = "867400012345678";
// Short enough for a test that waits for it.
constexpr auto kTestLimit = 500ms;

struct CodeRow {
    const char* name;
    const char* configured;  // LOCKPNCODE
    const char* fromImei;    // LOCKCODE_FROMIMEI_ENABLE
    const char* imei;        // read from the unit in this test
    const char* script;      // LOCKCODE_COMMAND as a /bin/sh script; nullptr for none
    const char* code;
    const char* refusal;     // "%s" stands for the command
};

constexpr const char* kTooLong = "The unlock code has 19 characters; at most 18 can be sent!";

const CodeRow kCodeRows[] = {
    {"ConfiguredCodeAsItIs", "12345678", "NO", kImei, nullptr, "12345678", ""},
    {"EmptyConfiguredCodeIsSent", "", "", kImei, nullptr, "", ""},
    {"SwitchOnlyOnForExactYes", "12345678", "yes", "", "echo 99", "12345678", ""},
    {"ConfiguredCodeTooLong", "1234567890123456789", "NO", kImei, nullptr, "", kTooLong},
    {"ImeiItselfByDefault", "12345678", "YES", kImei, nullptr, kImei, ""},
    {"NoImei", "12345678", "YES", "", "echo 99", "", "No IMEI for the unlock code!"},
    {"PartOfAnImei", "12345678", "YES", "86740001234567", "echo 99", "", "No IMEI for the unlock code!"},
    {"CommandPrintsTheCode", "", "YES", kImei, "echo A1b2C3", "A1b2C3", ""},
    {"CommandGetsTheImeiAsItsOnlyArgument", "", "YES", kImei, "echo \"$#$1\"", "1867400012345678", ""},
    {"OnlyTheFirstLineCounts", "", "YES", kImei, "printf 'C0DE\\r\\nOTHER\\n'", "C0DE", ""},
    {"LineWithoutLineEnd", "", "YES", kImei, "printf X9", "X9", ""},
    {"EighteenCharactersFit", "", "YES", kImei, "echo 123456789012345678", "123456789012345678", ""},
    {"CommandCodeTooLong", "", "YES", kImei, "echo 1234567890123456789", "", kTooLong},
    {"NonZeroExit", "", "YES", kImei, "echo 1234; exit 3",
     "", "No unlock code: LOCKCODE_COMMAND %s exited with status 3!"},
    {"EndedBySignal", "", "YES", kImei, "echo 1234; kill -9 $$",
     "", "No unlock code: LOCKCODE_COMMAND %s was ended by signal 9!"},
    {"TimeOut", "", "YES", kImei, "exec sleep 30",
     "", "No unlock code: LOCKCODE_COMMAND %s did not finish within 500 ms!"},
    {"EmptyLine", "", "YES", kImei, "echo; echo 1234",
     "", "No unlock code: LOCKCODE_COMMAND %s printed no code on its first line!"},
    {"NoOutput", "", "YES", kImei, "exit 0",
     "", "No unlock code: LOCKCODE_COMMAND %s printed no code on its first line!"},
    {"OtherCharacters", "", "YES", kImei, "echo 12-34",
     "", "No unlock code: LOCKCODE_COMMAND %s printed \"12-34\", which is not only letters and digits!"},
    {"TrailingBlank", "", "YES", kImei, "echo '1234 '",
     "", "No unlock code: LOCKCODE_COMMAND %s printed \"1234 \", which is not only letters and digits!"},
};

void PrintTo(const CodeRow& row, std::ostream* out)
{
    *out << row.name;
}

// Writes a /bin/sh script; executable unless told otherwise.
std::string WriteScript(const std::filesystem::path& path, const std::string& body, bool executable = true)
{
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(path, executable ? std::filesystem::perms::owner_all : std::filesystem::perms::owner_read);
    return path.string();
}

std::string WithCommand(std::string text, const std::string& command)
{
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, command);
    return text;
}

class CodeRule : public testing::TestWithParam<CodeRow> {
protected:
    TempWorkDir dir;
    ProgramRunner runner {kTestLimit};
};

TEST_P(CodeRule, GivesTheCodeOrSaysWhyNot)
{
    const CodeRow& row = GetParam();
    StationProfile::LockPnSection lockPn {row.configured, row.fromImei, ""};
    if (row.script)
        lockPn.lockCodeCommand = WriteScript(dir.Path() / "lock code", row.script);
    const UnlockCode choice = ChooseUnlockCode(lockPn, row.imei, runner);
    EXPECT_EQ(choice.code, row.code);
    EXPECT_EQ(choice.refusal, WithCommand(row.refusal, lockPn.lockCodeCommand));
}

INSTANTIATE_TEST_SUITE_P(Rows, CodeRule, testing::ValuesIn(kCodeRows),
                         [](const testing::TestParamInfo<CodeRow>& info) { return info.param.name; });

TEST_F(CodeRule, CommandThatCannotRunIsRefusedWithTheReason)
{
    const std::string missing = (dir.Path() / "missing").string();
    const std::string unexecutable = WriteScript(dir.Path() / "plain", "echo 1234", false);
    EXPECT_EQ(ChooseUnlockCode({"", "YES", missing}, kImei, runner).refusal,
              "No unlock code: LOCKCODE_COMMAND " + missing + " could not be run (No such file or directory)!");
    EXPECT_EQ(ChooseUnlockCode({"", "YES", unexecutable}, kImei, runner).refusal,
              "No unlock code: LOCKCODE_COMMAND " + unexecutable + " could not be run (Permission denied)!");
}

TEST_F(CodeRule, ShippedExampleGivesTheLastEightDigits)
{
    EXPECT_EQ(ChooseUnlockCode({"", "YES", LOCKCODE_EXAMPLE_PATH}, kImei, runner).code, "12345678");
    EXPECT_TRUE(ChooseUnlockCode({"", "YES", LOCKCODE_EXAMPLE_PATH}, "86a", runner).Refused());
}

// Whether the process is gone (a zombie waiting for its new parent counts).
bool Gone(pid_t pid)
{
    const std::string stat = ReadFileText("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || stat.substr(close + 2, 1) == "Z";
}

TEST_F(CodeRule, RunnerKillsTheWholeProgramAtTheLimitAndReapsIt)
{
    const std::string script = WriteScript(dir.Path() / "stuck", "sleep 30 &\necho $! > helper.pid\nwait");
    const ProgramOutcome run = runner.Run({script});
    EXPECT_EQ(run.ending, ProgramOutcome::Ending::TimedOut);
    const pid_t left = waitpid(-1, nullptr, WNOHANG);
    const int error = errno;
    EXPECT_EQ(left, -1);  // no child left behind
    EXPECT_EQ(error, ECHILD);
    const pid_t helper = std::stoi(ReadFileText(dir.Path() / "helper.pid"));
    for (int i = 0; i < 100 && !Gone(helper); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(Gone(helper));
}

TEST_F(CodeRule, RunnerReturnsWhenTheProgramEndsThoughItsHelperHoldsTheOutput)
{
    const std::string script = WriteScript(dir.Path() / "leaves", "echo C0DE\nsleep 2 2>/dev/null &\nexit 0");
    const ProgramOutcome run = runner.Run({script});
    EXPECT_EQ(run.ending, ProgramOutcome::Ending::Exited);
    EXPECT_EQ(run.output, "C0DE\n");
}

TEST_F(CodeRule, RunnerDrainsLongOutputButKeepsOnlyItsStart)
{
    const std::string script = WriteScript(dir.Path() / "chatty", "head -c 100000 /dev/zero | tr '\\0' a");
    const ProgramOutcome run = runner.Run({script});
    EXPECT_EQ(run.ending, ProgramOutcome::Ending::Exited);
    EXPECT_EQ(run.output, std::string(ProgramRunner::kOutputLimit, 'a'));
}

TEST_F(CodeRule, RunnerPassesNoDescriptorOfTheStation)
{
    const int open = ::open("/dev/null", O_RDONLY);  // as the serial port would be
    const std::string script = WriteScript(
        dir.Path() / "peek", "[ -e /proc/$$/fd/" + std::to_string(open) + " ] && echo leaked || echo clean");
    EXPECT_EQ(runner.Run({script}).output, "clean\n");
    close(open);
}

}  // namespace
