// TEST FINISH against real result files in the station's temporary folder.
#include <fstream>
#include <regex>

#include "station/FailureMask.h"
#include "tests/station/StationFixture.h"
#include "tests/station/StatusEvents.h"
#include "records/ResultStore.h"
#include "records/UnitJournal.h"
#include "tests/support/SqliteFiles.h"

namespace {

namespace fs = std::filesystem;
using Events = std::vector<std::string>;
constexpr int kMain = ctl::kMainLamp;

Events Box(const std::string& text)
{
    return {"box RuriZuda warning: " + text};
}

const Events kStored = Report(kMain, "success", "Write database successfully!");
const Events kNotStored = Report(kMain, "fail", "Failed to write database!");

class TestFinish : public StationFixture {
protected:
    void SetUp() override { Restart("[Station]\nUSEMDB=YES\n"); }

    void Restart(const std::string& profile, const fs::path& dataDir = {})
    {
        WriteProfile(profile);
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = dataDir.empty() ? dir.Path() : dataDir;
        Start(std::move(options));
    }

    void SetUnit(const std::string& sn, const std::string& mac, const std::string& imei, const std::string& pcbaSn)
    {
        station->unit.sn = sn;
        station->unit.mac = mac;
        station->unit.imei = imei;
        station->unit.pcbaSn = pcbaSn;
        station->unit.version = "RZ_V1.2.2_B05";
    }

    // Presses TEST FINISH and returns what the operator saw.
    Events PressTestFinish()
    {
        window.events.clear();
        station->OnCommand(ctl::kTestFinish);
        return StatusEvents(window);
    }

    Rows Stored(const std::string& file, const std::string& columns)
    {
        return Query(dir.Path() / file, "SELECT " + columns + " FROM SNTable ORDER BY rowid");
    }

    const Events started = Started(kMain);
};

TEST_F(TestFinish, FreshStationCreatesPassMdbStoresTheUnitAndClearsItsValues)
{
    SetUnit("RZ26A0145871", "A4-5E-60-C1-22-9F", "867400012345678", "PB26A0145871");
    station->unit.rssi2g = "63";
    EXPECT_EQ(PressTestFinish(), started + Box("Database is created") + kStored);
    const Rows rows = Stored("PASS.mdb", "SN, MAC, IMEI, PCBASN, VER, RSSI2G, ISREPAIR, ISLOCKPN, ISLINUXUSBMODE, DTIME");
    ASSERT_EQ(rows.size(), 1u);
    const std::vector<Cell> expected {"RZ26A0145871", "A4-5E-60-C1-22-9F", "867400012345678", "PB26A0145871",
                                      "RZ_V1.2.2_B05", "63", "", "", ""};
    EXPECT_EQ(std::vector<Cell>(rows[0].begin(), rows[0].end() - 1), expected);
    const std::regex ctimeText("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\n");
    EXPECT_TRUE(std::regex_match(*rows[0].back(), ctimeText)) << *rows[0].back();
    EXPECT_FALSE(fs::exists(dir.Path() / "FAIL.mdb"));
    EXPECT_EQ(station->unit.sn, "");
    EXPECT_EQ(station->TestFinished, 1);
    EXPECT_EQ(station->OperationBusy, 0);
}

TEST_F(TestFinish, SameUnitIsRefusedUntilMaintenanceStoresItOnceAsARepair)
{
    const auto sameUnit = [this] { SetUnit("RZ26A0145871", "A4-5E-60-C1-22-9F", "867400012345678", "PB26A0145871"); };
    sameUnit();
    PressTestFinish();
    sameUnit();
    EXPECT_EQ(PressTestFinish(), started + Box("Written SN is already in database ") + kNotStored);
    EXPECT_EQ(station->unit.sn, "RZ26A0145871") << "a refused unit keeps its values";

    station->OnEnterMaintenance();
    EXPECT_EQ(PressTestFinish(), started + kStored);
    EXPECT_EQ(Stored("PASS.mdb", "ISREPAIR"), (Rows {{""}, {"YES"}}));
    EXPECT_EQ(station->MaintenanceMode, 0);
    EXPECT_TRUE(window.IsVisible(ctl::kEnterMaintenance));
    EXPECT_FALSE(window.IsVisible(ctl::kExitMaintenance));
    EXPECT_FALSE(window.IsVisible(ctl::kMaintenanceNotice));

    sameUnit();
    EXPECT_EQ(PressTestFinish(), started + Box("Written SN is already in database ") + kNotStored);
}

TEST_F(TestFinish, EachDuplicateIdentityHasItsOwnMessage)
{
    SetUnit("SN1", "MAC1", "IMEI1", "PCBA1");
    PressTestFinish();
    const struct {
        const char* sn;
        const char* mac;
        const char* imei;
        const char* pcbaSn;
        const char* message;
    } cases[] = {
        {"SN1", "MAC2", "IMEI2", "PCBA2", "Written SN is already in database "},
        {"", "MAC1", "IMEI1", "PCBA2", "Written MAC is already in database "},
        {"SN2", "MAC2", "IMEI1", "PCBA2", "Written IMEI is already in database "},
        {"SN2", "MAC2", "IMEI2", "PCBA1", "Written PCBA SN is already in database "},
    };
    for (const auto& c : cases) {
        SetUnit(c.sn, c.mac, c.imei, c.pcbaSn);
        EXPECT_EQ(PressTestFinish(), started + Box(c.message) + kNotStored) << c.message;
    }
    SetUnit("sn1", "mac1", "imei1", "pcba1");
    EXPECT_EQ(PressTestFinish(), started + kStored) << "letter case counts";
}

TEST_F(TestFinish, FailingUnitsGoToFailMdbAndAreComparedOnlyThere)
{
    Restart("[Station]\nUSEMDB=YES\nREADSIM=YES\n");
    const auto unitWithSim = [this](const char* sim) {
        SetUnit("SN1", "MAC1", "IMEI1", "PCBA1");
        station->unit.simText = sim;
    };
    unitWithSim("SIM not inserted");
    EXPECT_EQ(PressTestFinish(), started + Box("Database is created") + kStored);
    unitWithSim("SIM inserted");
    EXPECT_EQ(PressTestFinish(), started + Box("Database is created") + kStored) << "PASS.mdb holds no such unit";
    unitWithSim("SIM not inserted");
    EXPECT_EQ(PressTestFinish(), started + Box("Written SN is already in database ") + kNotStored);
    EXPECT_EQ(Stored("FAIL.mdb", "SIM"), Rows {{"SIM not inserted"}});
    EXPECT_EQ(Stored("PASS.mdb", "SIM"), Rows {{"SIM inserted"}});
}

TEST_F(TestFinish, RefusalsBeforeTheFileKeepMaintenanceAndCreateNothing)
{
    const struct {
        const char* profile;
        Events boxes;
    } cases[] = {
        {"[Station]\nUSEMDB=NO\n", {}},
        {"[Station]\nUSEMDB=YES\nREADSN=YES\n", Box("SN is empty")},
    };
    for (const auto& c : cases) {
        Restart(c.profile);
        station->OnEnterMaintenance();
        EXPECT_EQ(PressTestFinish(), started + c.boxes + kNotStored) << c.profile;
        EXPECT_EQ(station->MaintenanceMode, 1) << c.profile;
        EXPECT_EQ(station->TestFinished, 1) << c.profile;
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "PASS.mdb"));
}

TEST_F(TestFinish, EngineErrorsAreShownWithTheirReasonAndLeaveTheFileAlone)
{
    std::ofstream(dir.Path() / "PASS.mdb") << "not a station database";
    std::ofstream(dir.Path() / "folder") << "a regular file";
    const struct {
        fs::path dataDir;
        std::string reason;
    } cases[] = {
        {dir.Path(), (dir.Path() / "PASS.mdb").string() + ": file is not a database"},
        {dir.Path() / "folder" / "station", "unable to open database file"},
    };
    for (const auto& c : cases) {
        Restart("[Station]\nUSEMDB=YES\n", c.dataDir);
        station->OnEnterMaintenance();
        SetUnit("SN1", "MAC1", "IMEI1", "PCBA1");
        const Events seen = PressTestFinish();
        ASSERT_EQ(seen.size(), started.size() + 1 + kNotStored.size()) << c.reason;
        EXPECT_TRUE(seen[2].starts_with("box RuriZuda warning: The unit was not stored: ")) << seen[2];
        EXPECT_NE(seen[2].find(c.reason), std::string::npos) << seen[2];
        EXPECT_EQ(station->unit.sn, "SN1");
        EXPECT_EQ(station->MaintenanceMode, 1);
    }
    EXPECT_EQ(ReadFileText(dir.Path() / "PASS.mdb"), "not a station database");
    EXPECT_EQ(ReadFileText(dir.Path() / "folder"), "a regular file");
}

// Another station stores into the same file while this one's box is open:
// "Database is created" and a duplicate.
TEST_F(TestFinish, NoBoxIsShownWhileTheStoreHoldsTheFile)
{
    const auto other = MakeSqliteResultStore();
    std::vector<std::string> othersStores;
    window.whileBoxOpen = [&](const FakeWindow::Box& box) {
        ResultRow row;
        row[Column::Sn] = "OTHER-" + std::to_string(othersStores.size());
        try {
            const auto store = other->Begin(station->ResultDbPath());
            store->Insert(row);
            store->Commit();
            othersStores.push_back("stored");
        } catch (const StoreError& error) {
            othersStores.push_back(box.text + ": " + error.what());
        }
    };
    for (int round = 0; round < 2; ++round) {
        SetUnit("SN1", "MAC1", "IMEI1", "PCBA1");
        PressTestFinish();
    }
    EXPECT_EQ(othersStores, (std::vector<std::string> {"stored", "stored"}));
    EXPECT_EQ(Stored("PASS.mdb", "SN"), (Rows {{"SN1"}, {"OTHER-0"}, {"OTHER-1"}}));
}

// Each of the 26 values of the unit lands in its own column.
TEST_F(TestFinish, EachValueIsStoredInItsOwnColumn)
{
    const std::pair<const char*, std::string UnitRecord::*> columns[] = {
        {"VER", &UnitRecord::version}, {"REALEASETIME", &UnitRecord::releaseDate}, {"SN", &UnitRecord::sn},
        {"PCBASN", &UnitRecord::pcbaSn}, {"MAC", &UnitRecord::mac}, {"IMEI", &UnitRecord::imei},
        {"SSID", &UnitRecord::ssid}, {"SIM", &UnitRecord::simText}, {"SD", &UnitRecord::sdText},
        {"KAVOKEY", &UnitRecord::keyResult}, {"OLED", &UnitRecord::oledResult}, {"LED", &UnitRecord::ledResult},
        {"GSMCALDATA", &UnitRecord::gsmCalResult}, {"TDCALDATA", &UnitRecord::tdCalResult},
        {"LTECALDATA", &UnitRecord::lteCalResult}, {"WCDMACALDATA", &UnitRecord::wcdmaCalResult},
        {"WIFI", &UnitRecord::wifiResult}, {"RSSI2G", &UnitRecord::rssi2g}, {"RSSI3G", &UnitRecord::rssi3g},
        {"RSSI4G", &UnitRecord::rssi4g}, {"RSSIRESULT", &UnitRecord::rssiResult},
        {"CHARGER", &UnitRecord::chargerResult}, {"USBMODE", &UnitRecord::linuxUsbModeResult},
        {"LOCKPN", &UnitRecord::lockResult}, {"ISLOCKPN", &UnitRecord::lockConfirmation},
        {"ISLINUXUSBMODE", &UnitRecord::usbModeConfirmation},
    };
    for (const auto& [column, value] : columns)
        station->unit.*value = std::string("v-") + column;
    EXPECT_EQ(PressTestFinish(), started + Box("Database is created") + kStored);
    for (const auto& [column, value] : columns)
        EXPECT_EQ(Stored("PASS.mdb", column), Rows {{std::string("v-") + column}}) << column;
}

TEST_F(TestFinish, BusyStationRefusesWithoutMarkingTheTestFinished)
{
    station->OperationBusy = 1;
    EXPECT_EQ(PressTestFinish(), Events {"box WARNING warning: The other operation is in process!"});
    EXPECT_EQ(station->TestFinished, 0);
}

}  // namespace

namespace {

// Every TEST FINISH that stores the unit or is refused leaves one line in the
// day's journal, with the items of the unit's one-key test.
TEST_F(TestFinish, EachStoreAndEachRefusalLeavesAJournalLine)
{
    station->LastOneKeyRun.items = {{"READMAC", 1, 812}, {"TESTLED", 0, 4000}};
    for (int round = 0; round < 2; ++round) {
        SetUnit("RZ26A0145871", "A4-5E-60-C1-22-9F", "867400012345678", "PB26A0145871");
        station->scanned.mac = "A4-5E-60-C1-22-9F";
        PressTestFinish();
    }
    const UnitJournalRead journal = ReadUnitJournal(UnitJournalPath(dir.Path(), JournalClock::now()));
    ASSERT_EQ(journal.entries.size(), 2u);
    EXPECT_TRUE(journal.entries[0].stored);
    EXPECT_EQ(journal.entries[0].verdict, "PASS");
    EXPECT_EQ(journal.entries[0].sn, "RZ26A0145871");
    ASSERT_EQ(journal.entries[0].items.size(), 2u);
    EXPECT_EQ(journal.entries[0].items[0].values, (std::vector<std::string> {"A4-5E-60-C1-22-9F"}));
    EXPECT_EQ(journal.entries[0].items[0].reference, "A4-5E-60-C1-22-9F");
    EXPECT_EQ(journal.entries[0].items[1].result, "FAIL");
    EXPECT_EQ(journal.entries[0].items[1].durationMs, 4000);
    EXPECT_FALSE(journal.entries[1].stored);
    EXPECT_EQ(journal.entries[1].refusal, "Written SN is already in database ");
}

}  // namespace

namespace {

// The journal line is on the disk before the operator sees any box of the
// store: a station that dies while a box is open still has the unit's line.
TEST_F(TestFinish, TheJournalLineIsWrittenBeforeAnyBoxOfTheStore)
{
    std::vector<std::string> seen;
    window.whileBoxOpen = [&](const FakeWindow::Box& box) {
        const UnitJournalRead journal = ReadUnitJournal(UnitJournalPath(dir.Path(), JournalClock::now()));
        seen.push_back(box.text + ": " +
                       (journal.entries.empty() ? "no line"
                                                : journal.entries.back().sn + (journal.entries.back().stored
                                                                                   ? " stored"
                                                                                   : " refused")));
    };
    for (int round = 0; round < 2; ++round) {
        SetUnit("SN1", "MAC1", "IMEI1", "PCBA1");
        PressTestFinish();
    }
    EXPECT_EQ(seen, (std::vector<std::string> {"Database is created: SN1 stored",
                                               "Written SN is already in database : SN1 refused"}));
}

// A store's pending line is synced before its commit and names the row's
// DTIME; the unit's line follows it. A refused store has no pending line.
TEST_F(TestFinish, ThePendingLineComesBeforeTheCommitAndNamesTheRowsTime)
{
    for (int round = 0; round < 2; ++round) {
        SetUnit("SN1", "MAC1", "IMEI1", "PCBA1");
        PressTestFinish();
    }
    std::vector<UnitJournalEntry> lines;
    ReadUnitJournalFrom(UnitJournalPath(dir.Path(), JournalClock::now()), 0,
                        [&](UnitJournalEntry&& entry, const JournalPosition&) { lines.push_back(std::move(entry)); });
    const struct {
        bool pending;
        bool stored;
    } expected[] = {{true, true}, {false, true}, {false, false}};
    ASSERT_EQ(lines.size(), std::size(expected));
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].pending, expected[i].pending) << i;
        EXPECT_EQ(lines[i].stored, expected[i].stored) << i;
    }
    EXPECT_TRUE(SameJournalUnit(lines[0], lines[1])) << "the unit's line settles its pending line";
    const auto rows = Query(dir.Path() / "PASS.mdb", "SELECT DTIME FROM SNTable");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(*rows[0][0], lines[0].dtime);
    EXPECT_TRUE(station->UnitCommittedCheck()(lines[0])) << "the sender's check finds the row";
}

TEST_F(TestFinish, TheJournalLineNamesTheSlot)
{
    const std::pair<int, int> cases[] = {{0, 0}, {3, 3}};
    for (const auto& [slot, written] : cases) {
        const fs::path slotDir = dir.Path() / ("data-" + std::to_string(slot));
        fs::create_directories(slotDir);
        station.reset();
        WriteProfile("[Station]\nUSEMDB=YES\n");
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = slotDir;
        options.slot = slot;
        Start(std::move(options));
        SetUnit("SN1", "MAC1", "IMEI1", "PCBA1");
        PressTestFinish();
        const UnitJournalRead journal = ReadUnitJournal(UnitJournalPath(slotDir, JournalClock::now()));
        ASSERT_EQ(journal.entries.size(), 1u) << slot;
        EXPECT_EQ(journal.entries[0].slot, written);
    }
}

}  // namespace
