// TEST FINISH of stations whose profile names the line database.
#include <regex>

#include "records/PgResultStore.h"
#include "tests/linewide/LineServer.h"
#include "tests/station/StationFixture.h"
#include "tests/station/StatusEvents.h"

namespace {

using Events = std::vector<std::string>;
constexpr int kMain = ctl::kMainLamp;

Events Box(const std::string& text)
{
    return {"box RuriZuda warning: " + text};
}

const Events kStored = Report(kMain, "success", "Write database successfully!");
const Events kNotStored = Report(kMain, "fail", "Failed to write database!");

class LineStation : public StationFixture {
protected:
    // Starts the station named `name` on the line database `url`.
    void StartStation(const std::string& url, const std::string& name)
    {
        WriteProfile("[Station]\nUSEMDB=YES\n[ResultDB]\nURL=" + url + "\nSTATION=" + name + "\n");
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = dir.Path();
        Start(std::move(options));
    }

    Events StoreUnit(const std::string& sn, const std::string& mac)
    {
        station->unit.sn = sn;
        station->unit.mac = mac;
        station->unit.imei = "IMEI-" + sn;
        station->unit.pcbaSn = "PCBA-" + sn;
        window.events.clear();
        station->OnCommand(ctl::kTestFinish);
        return StatusEvents(window);
    }

    const Events started = Started(kMain);
};

TEST_F(LineStation, TwoStationsOnOneServerRefuseEachOthersUnits)
{
    const LineServer server;
    StartStation(server.Url(), "ST-03");
    EXPECT_EQ(StoreUnit("SN1", "MAC1"), started + Box("Database is created") + kStored);
    StartStation(server.Url(), "ST-05");
    EXPECT_EQ(StoreUnit("SN2", "MAC2"), started + kStored);
    EXPECT_EQ(StoreUnit("SN3", "MAC1"), started + Box("Written MAC is already in database ") + kNotStored);
    StartStation(server.Url(), "ST-03");
    EXPECT_EQ(StoreUnit("SN2", "MAC9"), started + Box("Written SN is already in database ") + kNotStored);

    station->OnEnterMaintenance();
    EXPECT_EQ(StoreUnit("SN2", "MAC9"), started + kStored);
    EXPECT_EQ(server.Value("SELECT string_agg(STATION || ' ' || SN || ' ' || ISREPAIR, ',' ORDER BY ID) FROM SNTable"),
              "ST-03 SN1 ,ST-05 SN2 ,ST-03 SN2 YES");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "PASS.mdb")) << "no silent local copy";
}

TEST_F(LineStation, ServerDownShowsTheReasonStoresNothingLocallyAndKeepsTheUnit)
{
    StartStation("postgresql://station@127.0.0.1:1/line1", "ST-03");
    window.events.clear();
    station->unit.sn = "SN1";
    station->OnCommand(ctl::kTestFinish);
    const Events events = StatusEvents(window);
    ASSERT_EQ(events.size(), started.size() + 1 + kNotStored.size()) << testing::PrintToString(events);
    EXPECT_TRUE(std::regex_match(events[started.size()],
                                 std::regex("box RuriZuda warning: The unit was not stored: the line database cannot "
                                            "be reached: [^]+127\\.0\\.0\\.1[^]+")))
        << events[started.size()];
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "PASS.mdb"));
    EXPECT_EQ(station->unit.sn, "SN1") << "the unit can be stored again";
}

TEST_F(LineStation, SectionWithoutUrlKeepsTheLocalFiles)
{
    StartStation("", "ST-03");
    EXPECT_EQ(StoreUnit("SN1", "MAC1"), started + Box("Database is created") + kStored);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "PASS.mdb"));
}

// Another station checks the same unit while this one's duplicate box is
// open: the first store has let go of the unit's locks.
TEST_F(LineStation, NoBoxIsShownWhileTheStoreHoldsTheUnitsLocks)
{
    const LineServer server;
    StartStation(server.Url(), "ST-03");
    StoreUnit("SN1", "MAC1");
    const auto other = MakePgResultStore(server.Url(), "ST-05");
    std::string seen;
    window.whileBoxOpen = [&](const FakeWindow::Box&) {
        ResultRow row;
        row[Column::Sn] = "SN1";
        try {
            seen = other->Begin(station->ResultDbPath())->FindDuplicate(row) == Column::Sn ? "refused" : "stored";
        } catch (const StoreError& error) {
            seen = error.what();
        }
    };
    EXPECT_EQ(StoreUnit("SN1", "MAC2"), started + Box("Written SN is already in database ") + kNotStored);
    EXPECT_EQ(seen, "refused");
}

}  // namespace
