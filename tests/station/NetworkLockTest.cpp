// READ PN, LOCK and UNLOCK against the simulated unit: the lock's failure
// table row by row with what went over the wire, the lock confirmation, and
// the unlock-code rules as the operator meets them.
#include <map>

#include "station/FailureMask.h"
#include "tests/station/StationFixture.h"
#include "tests/station/StatusEvents.h"

namespace {

using Requests = std::vector<std::string>;
using Events = std::vector<std::string>;

constexpr int kMain = ctl::kMainLamp;
constexpr const char* kOld = "OLD";  // what the boxes showed before
constexpr int kAnswerDelayMs = 30;

const std::string kRead = "+clck=PN,2";
const std::string kLock = "+clck=PN,1";
const std::string kUnlockWithCode = "+clck=PN,0,12345678";
const std::string kRefused = "\r\n+CME ERROR: 16\r\n";
const std::string kReadImei = "*MRD_IMEI?";

class Lock : public StationFixture {
public:
    // From its `from`th sending on (counting from 0), `request` gets
    // `answer` instead of the unit's ("" for no answer at all).
    void Replace(const std::string& request, int from, const std::string& answer)
    {
        replacements_[request] = {from, answer};
    }

protected:
    void SetUp() override { Restart("[LockPN]\nLOCKPNCODE=12345678\n"); }

    void Restart(const std::string& profile)
    {
        WriteProfile(profile);
        Start();
        link.serial.SetResponder([this](std::string_view written, ScriptedSerial& port) { Answer(written, port); });
        for (int box : {ctl::kReadPnBox, ctl::kUnlockBox, ctl::kLockBox})
            window.SetText(box, kOld);
        window.events.clear();
    }

    // The requests on the wire, without "AT" and line end.
    Requests Wire() const
    {
        Requests sent;
        for (const std::string& write : link.serial.writes)
            sent.push_back(write.substr(2, write.size() - 4));
        return sent;
    }

    Events Reported(bool success, const char* message) const
    {
        return Started(kMain) + Report(kMain, success ? "success" : "fail", message);
    }

private:
    struct Replacement {
        int from;
        std::string answer;
    };

    void Answer(std::string_view written, ScriptedSerial& port)
    {
        const std::string request(written.substr(2, written.size() - 4));
        const int sending = sent_[request]++;
        const auto replaced = replacements_.find(request);
        if (replaced != replacements_.end() && sending >= replaced->second.from) {
            if (!replaced->second.answer.empty())
                port.ArriveIn(kAnswerDelayMs, replaced->second.answer);
            return;
        }
        for (auto& write : unit.Unit().Receive(written))
            port.ArriveIn(write.delayMs, std::move(write.bytes));
    }

    std::map<std::string, Replacement> replacements_;
    std::map<std::string, int> sent_;
};

// A row of the failure table: LOCK or UNLOCK on a unit prepared for it.
struct TableRow {
    const char* name;
    int button;
    void (*prepare)(Lock&, sim::UnitState&);
    const char* stateBox;   // 1137 afterwards
    const char* resultBox;  // 1141 for LOCK, 1139 for UNLOCK
    bool success;
    Requests wire;
};

void Locked(Lock&, sim::UnitState& s)
{
    s.pnLocked = true;
}

const TableRow kTable[] = {
    {"LockStateUnreadable", ctl::kLock, [](Lock& t, sim::UnitState&) { t.Replace(kRead, 0, ""); }, kOld, kOld,
     false, {kRead}},
    {"LockOnALockedUnit", ctl::kLock, Locked, "LOCK", "ALREADY LOCKED", false, {kRead}},
    {"LockOnAnUnknownState", ctl::kLock, [](Lock&, sim::UnitState& s) { s.pnStateDigit = '2'; }, "UNKNOWN",
     "LOCK SUCCESS", true, {kRead, kLock, kRead}},
    {"LockRefused", ctl::kLock, [](Lock& t, sim::UnitState&) { t.Replace(kLock, 0, kRefused); }, "UNLOCK",
     "LOCK FAIL", false, {kRead, kLock}},
    {"LockUnanswered", ctl::kLock, [](Lock& t, sim::UnitState&) { t.Replace(kLock, 0, ""); }, "UNLOCK", "", false,
     {kRead, kLock}},
    {"LockDone", ctl::kLock, nullptr, "LOCK", "LOCK SUCCESS", true, {kRead, kLock, kRead}},
    {"LockDoneSecondReadFails", ctl::kLock, [](Lock& t, sim::UnitState&) { t.Replace(kRead, 1, ""); }, "UNLOCK",
     "LOCK SUCCESS", false, {kRead, kLock, kRead}},
    {"UnlockStateUnreadable", ctl::kUnlock, [](Lock& t, sim::UnitState&) { t.Replace(kRead, 0, ""); }, kOld, kOld,
     false, {kRead}},
    {"UnlockOnAnUnlockedUnit", ctl::kUnlock, nullptr, "UNLOCK", "ALREADY UNLOCKED", false, {kRead}},
    {"UnlockRefused", ctl::kUnlock,
     [](Lock&, sim::UnitState& s) {
         s.pnLocked = true;
         s.unlockCode = "87654321";
     },
     "LOCK", "UNLOCK FAIL", false, {kRead, kUnlockWithCode}},
    {"UnlockUnanswered", ctl::kUnlock,
     [](Lock& t, sim::UnitState& s) {
         Locked(t, s);
         t.Replace(kUnlockWithCode, 0, "");
     },
     "LOCK", "", false, {kRead, kUnlockWithCode}},
    {"UnlockDone", ctl::kUnlock, Locked, "UNLOCK", "UNLOCK SUCCESS", true, {kRead, kUnlockWithCode, kRead}},
    {"UnlockDoneSecondReadFails", ctl::kUnlock,
     [](Lock& t, sim::UnitState& s) {
         Locked(t, s);
         t.Replace(kRead, 1, "");
     },
     "LOCK", "UNLOCK SUCCESS", false, {kRead, kUnlockWithCode, kRead}},
};

void PrintTo(const TableRow& row, std::ostream* out)
{
    *out << row.name;
}

class FailureTable : public Lock, public testing::WithParamInterface<TableRow> {};

TEST_P(FailureTable, ShowsReportsAndSendsAsTheRowSays)
{
    const TableRow& row = GetParam();
    if (row.prepare)
        row.prepare(*this, unit.State());
    station->OnCommand(row.button);
    const bool lock = row.button == ctl::kLock;
    EXPECT_EQ(Wire(), row.wire);
    EXPECT_EQ(window.Text(ctl::kReadPnBox), row.stateBox);
    EXPECT_EQ(window.Text(lock ? ctl::kLockBox : ctl::kUnlockBox), row.resultBox);
    EXPECT_EQ(window.Text(lock ? ctl::kUnlockBox : ctl::kLockBox), kOld);
    if (std::string(row.resultBox) != kOld) {
        EXPECT_EQ(lock ? station->unit.lockResult : station->unit.unlockResult, row.resultBox);
    }
    const uint32_t bit = lock ? failbit::kLock : failbit::kUnlock;
    const char* success = lock ? "Write LOCK PN successfully!" : "Write UNLOCK PN successfully!";
    const char* failure = lock ? "Failed to write LOCK PN!" : "Failed to write UNLOCK PN!";
    EXPECT_EQ(StatusEvents(window), Reported(row.success, row.success ? success : failure));
    EXPECT_EQ(station->FailureMask, row.success ? 0u : bit);
    EXPECT_EQ(AtPort, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, FailureTable, testing::ValuesIn(kTable),
                         [](const testing::TestParamInfo<TableRow>& info) { return info.param.name; });

// READ PN: a state read is a success; only "LOCK" confirms the lock.
struct ReadRow {
    const char* name;
    void (*prepare)(Lock&, sim::UnitState&);
    const char* stateBox;
    bool success;
    const char* confirmation;
};

const ReadRow kReads[] = {
    {"Locked", Locked, "LOCK", true, "PASS"},
    {"Unlocked", nullptr, "UNLOCK", true, "FAIL"},
    {"Unknown", [](Lock&, sim::UnitState& s) { s.pnStateDigit = '2'; }, "UNKNOWN", true, "FAIL"},
    {"SilentUnit", [](Lock& t, sim::UnitState&) { t.Replace(kRead, 0, ""); }, kOld, false, "FAIL"},
};

void PrintTo(const ReadRow& row, std::ostream* out)
{
    *out << row.name;
}

class ReadPn : public Lock, public testing::WithParamInterface<ReadRow> {};

TEST_P(ReadPn, ConfirmsOnlyALockedUnit)
{
    const ReadRow& row = GetParam();
    if (row.prepare)
        row.prepare(*this, unit.State());
    station->OnCommand(ctl::kReadPn);
    EXPECT_EQ(window.Text(ctl::kReadPnBox), row.stateBox);
    EXPECT_EQ(station->unit.lockConfirmation, row.confirmation);
    EXPECT_EQ(StatusEvents(window),
              Reported(row.success, row.success ? "Read LOCK PN successfully!" : "Failed to read LOCK PN!"));
    EXPECT_EQ(station->FailureMask, std::string(row.confirmation) == "PASS" ? 0u : failbit::kConfirmLock);
    EXPECT_EQ(Wire(), Requests {kRead});
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadPn, testing::ValuesIn(kReads),
                         [](const testing::TestParamInfo<ReadRow>& info) { return info.param.name; });

// UNLOCK on a locked unit under each code rule.
struct CodeRow {
    const char* name;
    const char* lockPnSection;
    bool imeiRule;  // UNLOCK reads the IMEI before it derives the code
    const char* unitCode;  // what the unit accepts
    const char* sentCode;  // nullptr: refused, nothing sent
    const char* warning;   // its box, when refused
    const char* imeiAnswer = nullptr;  // replaces the unit's answer to the IMEI query
};

const CodeRow kCodes[] = {
    {"EmptyConfiguredCodeSendsAnEmptyCode", "LOCKPNCODE=\n", false, "", "", ""},
    {"ImeiRuleSendsTheImeiReadNow", "LOCKCODE_FROMIMEI_ENABLE=YES\n", true, "867400012345678", "867400012345678",
     ""},
    {"ImeiRuleWithAPartOfAnImei", "LOCKCODE_FROMIMEI_ENABLE=YES\n", true, "867400012345678", nullptr,
     "No IMEI for the unlock code!", "\r\n*MRD_IMEI:86740001234\r\nOK\r\n"},
    // The read fails: the IMEI of the earlier unit must not stand in for it.
    {"ImeiRuleWithAFailedRead", "LOCKCODE_FROMIMEI_ENABLE=YES\n", true, "867400099999999", nullptr,
     "No IMEI for the unlock code!", "\r\nERROR\r\n"},
    {"CommandRuleSendsWhatTheProgramPrints",
     "LOCKCODE_FROMIMEI_ENABLE=YES\nLOCKCODE_COMMAND=" LOCKCODE_EXAMPLE_PATH "\n", true, "12345678", "12345678", ""},
    {"CommandRuleRefusal", "LOCKCODE_FROMIMEI_ENABLE=YES\nLOCKCODE_COMMAND=/bin/false\n", true, "", nullptr,
     "No unlock code: LOCKCODE_COMMAND /bin/false exited with status 1!"},
    {"TooLongConfiguredCode", "LOCKPNCODE=1234567890123456789\n", false, "1234567890123456789", nullptr,
     "The unlock code has 19 characters; at most 18 can be sent!"},
};

void PrintTo(const CodeRow& row, std::ostream* out)
{
    *out << row.name;
}

class UnlockCodeRule : public Lock, public testing::WithParamInterface<CodeRow> {};

TEST_P(UnlockCodeRule, SendsTheCodeOrWarnsAndSendsNothing)
{
    const CodeRow& row = GetParam();
    Restart(std::string("[LockPN]\n") + row.lockPnSection);
    unit.State().pnLocked = true;
    unit.State().unlockCode = row.unitCode;
    station->unit.imei = "867400099999999";  // left from an earlier unit
    if (row.imeiAnswer)
        Replace(kReadImei, 0, row.imeiAnswer);
    link.serial.writes.clear();
    window.events.clear();
    station->OnCommand(ctl::kUnlock);
    const Requests imeiRead = row.imeiRule ? Requests {kReadImei} : Requests {};
    if (row.sentCode) {
        const Requests unlock {"+clck=PN,0," + std::string(row.sentCode), kRead};
        EXPECT_EQ(Wire(), Requests {kRead} + imeiRead + unlock);
        EXPECT_EQ(window.Text(ctl::kUnlockBox), "UNLOCK SUCCESS");
        EXPECT_EQ(StatusEvents(window), Reported(true, "Write UNLOCK PN successfully!"));
    } else {
        EXPECT_EQ(Wire(), Requests {kRead} + imeiRead);
        EXPECT_EQ(window.Text(ctl::kUnlockBox), kOld);
        EXPECT_EQ(station->unit.unlockResult, "");
        EXPECT_EQ(StatusEvents(window), Started(kMain) + Events {std::string("box WARNING warning: ") + row.warning}
                                            + Report(kMain, "fail", "Failed to write UNLOCK PN!"));
        EXPECT_EQ(station->FailureMask, failbit::kUnlock);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, UnlockCodeRule, testing::ValuesIn(kCodes),
                         [](const testing::TestParamInfo<CodeRow>& info) { return info.param.name; });

}  // namespace
