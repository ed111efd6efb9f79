// Operator sign-in: the badge field, no one-key test without a badge,
// another badge switching operators, the idle sign-out in virtual time, and
// the operator in the unit's journal line.
#include "records/UnitJournal.h"
#include "tests/station/StationFixture.h"
#include "tests/station/StatusEvents.h"
#include "tests/support/SqliteFiles.h"

namespace {

constexpr const char* kSignIn = "[Station]\nUSEMDB=YES\nCHECKSCANSN=YES\n[Operator]\nSIGNIN=1\nIDLE_MINUTES=2\n";
constexpr int64_t kTwoMinutesMs = 2 * 60'000;
constexpr const char* kSignInFirst = "Sign in first: scan your badge into BADGE!";

class OperatorSignIn : public StationFixture {
protected:
    void StartStation(const std::string& profile)
    {
        station.reset();
        window = FakeWindow {};
        WriteProfile(profile);
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = dir.Path();
        Start(std::move(options));
    }

    // The scanner types the badge into the field and ends it with Enter.
    void ScanBadge(const std::string& badge)
    {
        window.texts[ctl::kOperatorBadge] += badge;
        EXPECT_TRUE(station->OnEnterKey(ctl::kOperatorBadge));
    }

    bool OneKeyTestRuns() const { return window.timers.count(ctl::kOneKeyWaitTimer) == 1; }

    void PressOneKey()
    {
        window.timers.erase(ctl::kOneKeyWaitTimer);
        station->OnCommand(ctl::kOneKeyTest);
    }

    // Lets `ms` pass on the station's clock, then the idle timer ticks.
    void IdleFor(int64_t ms)
    {
        link.clock.Advance(ms);
        station->OnTimer(ctl::kOperatorIdleTimer);
    }

    std::vector<UnitJournalEntry> Journal()
    {
        std::vector<UnitJournalEntry> entries;
        for (const auto& file : UnitJournalFiles(dir.Path()))
            for (auto& entry : ReadUnitJournal(file).entries)
                entries.push_back(std::move(entry));
        return entries;
    }
};

TEST_F(OperatorSignIn, NoOneKeyTestWithoutABadge)
{
    StartStation(kSignIn);
    EXPECT_TRUE(window.IsVisible(ctl::kOperatorBadge));
    EXPECT_EQ(window.focus, ctl::kOperatorBadge);
    EXPECT_EQ(window.Text(ctl::kOperatorName), "OPERATOR: nobody signed in, scan your badge");
    window.focus = ctl::kScanSn;
    station->OnFirstMessage();
    EXPECT_EQ(window.focus, ctl::kOperatorBadge) << "the window opens on the badge field";

    window.focus = ctl::kScanSn;
    PressOneKey();
    EXPECT_FALSE(OneKeyTestRuns());
    EXPECT_EQ(window.Text(ctl::kResultBox), kSignInFirst);
    EXPECT_EQ(window.PictureOf(ctl::kMainLamp), Picture::Fail);
    EXPECT_EQ(window.focus, ctl::kOperatorBadge);

    ScanBadge("B-00417");
    EXPECT_EQ(window.focus, ctl::kScanSn) << "the next scan is the unit's";
    PressOneKey();
    EXPECT_TRUE(OneKeyTestRuns());
}

TEST_F(OperatorSignIn, WithoutSignInTheStationIsAsBefore)
{
    StartStation("[Station]\nUSEMDB=YES\n");
    for (int control : {ctl::kOperatorBadgeLabel, ctl::kOperatorBadge, ctl::kOperatorName})
        EXPECT_FALSE(window.IsVisible(control)) << control;
    PressOneKey();
    EXPECT_TRUE(OneKeyTestRuns());
    EXPECT_EQ(station->UnitOperator(), "");
}

TEST_F(OperatorSignIn, TheBadgeIsShownAndAnotherBadgeTakesOver)
{
    StartStation(kSignIn);
    const struct {
        const char* scanned;
        const char* signedIn;
    } rows[] = {
        {"B-00417", "B-00417"},
        {"  B-00418\r\n", "B-00418"},  // blanks and line ends a scanner adds
        {"B-00418", "B-00418"},
        {"", "B-00418"},
        {"B-00417", "B-00417"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scanned);
        ScanBadge(row.scanned);
        EXPECT_EQ(station->SignedInOperator(), row.signedIn);
        EXPECT_EQ(window.Text(ctl::kOperatorName), std::string("OPERATOR: ") + row.signedIn);
        EXPECT_EQ(window.Text(ctl::kOperatorBadge), "") << "the field is ready for the next scan";
    }
}

TEST_F(OperatorSignIn, ABadgeTheRecordsCannotKeepWholeIsRefused)
{
    StartStation(kSignIn);
    ScanBadge("B-00417");
    for (const std::string& badge : {std::string(61, 'B'), std::string("B-\x01" "7"), std::string("B-\x7f")}) {
        ScanBadge(badge);
        EXPECT_EQ(station->SignedInOperator(), "B-00417");
        EXPECT_EQ(window.Text(ctl::kOperatorName),
                  "OPERATOR: a badge holds 1 to 60 printable characters, scan it again");
    }
    ScanBadge(std::string(60, 'B'));
    EXPECT_EQ(station->SignedInOperator(), std::string(60, 'B'));
}

TEST_F(OperatorSignIn, IdleTimeWithoutAStoredUnitSignsTheOperatorOut)
{
    StartStation(kSignIn);
    ScanBadge("B-00417");
    ASSERT_EQ(window.timers.at(ctl::kOperatorIdleTimer), kTwoMinutesMs);

    IdleFor(kTwoMinutesMs - 1000);  // a tick before its time waits for the rest
    EXPECT_EQ(station->SignedInOperator(), "B-00417");
    EXPECT_EQ(window.timers.at(ctl::kOperatorIdleTimer), 1000);

    IdleFor(1000);
    EXPECT_EQ(station->SignedInOperator(), "");
    EXPECT_EQ(window.timers.count(ctl::kOperatorIdleTimer), 0u);
    EXPECT_EQ(window.Text(ctl::kOperatorName),
              "OPERATOR: signed out after 2 min without a stored unit, scan your badge");
    EXPECT_EQ(window.focus, ctl::kOperatorBadge);
    PressOneKey();
    EXPECT_FALSE(OneKeyTestRuns());
}

TEST_F(OperatorSignIn, AStoredUnitStartsTheIdleTimeAgain)
{
    StartStation(kSignIn);
    ScanBadge("B-00417");
    link.clock.Advance(kTwoMinutesMs - 1000);
    station->unit.sn = "RZ26A0145871";
    station->OnCommand(ctl::kTestFinish);
    ASSERT_EQ(Journal().size(), 1u);
    EXPECT_EQ(window.timers.at(ctl::kOperatorIdleTimer), kTwoMinutesMs);

    IdleFor(kTwoMinutesMs - 1000);
    EXPECT_EQ(station->SignedInOperator(), "B-00417");
    IdleFor(1000);
    EXPECT_EQ(station->SignedInOperator(), "");
}

TEST_F(OperatorSignIn, TheUnitsJournalLineAndRowCarryTheOperatorTheLocalFilesKeepTheirColumns)
{
    StartStation(kSignIn);
    ScanBadge("B-00417");
    station->unit.sn = "RZ26A0145871";
    station->OnCommand(ctl::kTestFinish);
    ScanBadge("B-00418");
    station->unit.sn = "RZ26A0145872";
    station->OnCommand(ctl::kTestFinish);

    const std::vector<UnitJournalEntry> journal = Journal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0].operatorId, "B-00417");
    EXPECT_EQ(journal[1].operatorId, "B-00418");
    const Rows columns = Query(dir.Path() / "FAIL.mdb", "SELECT count(*) FROM pragma_table_info('SNTable') "
                                                        "WHERE name = 'OPERATOR'");
    EXPECT_EQ(*columns.at(0).at(0), "0");
}

TEST_F(OperatorSignIn, AUnitWhoseOperatorWasSignedOutMidTestKeepsTheOneWhoStartedIt)
{
    StartStation(kSignIn);
    ScanBadge("B-00417");
    PressOneKey();
    ASSERT_TRUE(OneKeyTestRuns());
    IdleFor(kTwoMinutesMs);
    ASSERT_EQ(station->SignedInOperator(), "");
    EXPECT_EQ(station->UnitOperator(), "B-00417");
}

TEST_F(OperatorSignIn, ExitSignsTheOperatorOut)
{
    StartStation(kSignIn);
    ScanBadge("B-00417");
    station->OnDestroy();
    EXPECT_EQ(station->SignedInOperator(), "");
    EXPECT_EQ(window.timers.count(ctl::kOperatorIdleTimer), 0u);
}

}  // namespace
