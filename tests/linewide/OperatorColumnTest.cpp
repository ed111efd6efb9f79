// The operator's column of the line database: added by the first store that
// brings an operator, once, whoever else does it at the same moment.
#include <gtest/gtest.h>

#include <latch>
#include <thread>

#include "records/PgResultStore.h"
#include "tests/linewide/LineServer.h"
#include "tests/station/StationFixture.h"
#include "tests/support/ResultStoreCases.h"

namespace {

constexpr const char* kPass = "/opt/station/PASS.mdb";
constexpr std::chrono::milliseconds kDeadline(kLineStoreDeadlineMs);

class OperatorColumn : public testing::Test {
protected:
    void Store(ResultStore& store, const ResultRow& row)
    {
        auto transaction = store.Begin(kPass);
        transaction->Insert(row);
        transaction->Commit();
    }

    ResultRow Operated(const std::string& sn, const std::string& badge)
    {
        ResultRow row = Unit(sn, "M-" + sn, "I-" + sn, "P-" + sn);
        row.operatorId = badge;
        return row;
    }

    bool HasColumn()
    {
        return server.Value("SELECT count(*) FROM information_schema.columns WHERE table_name = 'sntable' AND "
                           "column_name = 'operator'") == "1";
    }

    // Every ALTER TABLE run on the database from now on, in a table.
    void LogAlterTable()
    {
        server.Execute("CREATE TABLE ddl_log (tag text);"
                       "CREATE FUNCTION log_ddl() RETURNS event_trigger LANGUAGE plpgsql AS $f$ BEGIN "
                       "INSERT INTO ddl_log SELECT command_tag FROM pg_event_trigger_ddl_commands(); END $f$;"
                       "CREATE EVENT TRIGGER log_ddl ON ddl_command_end WHEN TAG IN ('ALTER TABLE') "
                       "EXECUTE FUNCTION log_ddl()");
    }

    LineServer server;
};

TEST_F(OperatorColumn, AStoreWithoutSignInLeavesTheTableAsItIs)
{
    const auto store = MakePgResultStore(server.Url(), "ST-03");
    Store(*store, Operated("SN1", "B-00417"));
    EXPECT_FALSE(HasColumn());
    EXPECT_EQ(server.Value("SELECT count(*) FROM SNTable"), "1");
}

TEST_F(OperatorColumn, AStoreWithSignInOnANewDatabaseStoresTheOperator)
{
    const auto store = MakePgResultStore(server.Url(), "ST-03", kDeadline, true);
    Store(*store, Operated("SN1", "B-00417"));
    Store(*store, Operated("SN2", ""));
    EXPECT_EQ(server.Value("SELECT string_agg(SN || '=' || OPERATOR, ',' ORDER BY ID) FROM SNTable"),
              "SN1=B-00417,SN2=");
}

TEST_F(OperatorColumn, TwoStationsAddItToAnOldLineDatabaseOnceAtTheSameMoment)
{
    constexpr int kStations = 2;
    constexpr int kUnitsEach = 5;
    Store(*MakePgResultStore(server.Url(), "ST-01"), Unit("OLD", "OLD", "OLD", "OLD"));  // a line database of before
    ASSERT_FALSE(HasColumn());
    LogAlterTable();

    std::latch together(kStations);
    std::vector<std::thread> stations;
    for (int s = 0; s < kStations; ++s) {
        stations.emplace_back([&, s] {
            const std::string name = "ST-0" + std::to_string(s + 2);
            const auto store = MakePgResultStore(server.Url(), name, kDeadline, true);
            together.arrive_and_wait();
            for (int u = 0; u < kUnitsEach; ++u)
                Store(*store, Operated(name + "-" + std::to_string(u), "B-" + name));
        });
    }
    for (std::thread& station : stations)
        station.join();

    EXPECT_TRUE(HasColumn());
    EXPECT_EQ(server.Value("SELECT count(*) FROM ddl_log"), "1") << "the column is added once";
    EXPECT_EQ(server.Value("SELECT count(*) FROM SNTable WHERE OPERATOR = 'B-' || STATION"),
              std::to_string(kStations * kUnitsEach));
    EXPECT_EQ(server.Value("SELECT count(*) FROM SNTable WHERE OPERATOR IS NULL"), "1") << "the old row";

    Store(*MakePgResultStore(server.Url(), "ST-04", kDeadline, true), Operated("LATER", "B-9"));
    EXPECT_EQ(server.Value("SELECT count(*) FROM ddl_log"), "1") << "a later station finds it";
}

class SignedInLineStation : public StationFixture {};

TEST_F(SignedInLineStation, TheStoredRowCarriesTheSignedInOperator)
{
    const LineServer server;
    WriteProfile("[Station]\nUSEMDB=YES\n[ResultDB]\nURL=" + server.Url() +
                 "\nSTATION=ST-03\n[Operator]\nSIGNIN=1\n");
    StationOptions options;
    options.fixedPort = kUnitPort;
    options.dataDir = dir.Path();
    Start(std::move(options));
    window.texts[ctl::kOperatorBadge] = "B-00417";
    station->OnEnterKey(ctl::kOperatorBadge);
    station->unit.sn = "SN1";
    station->OnCommand(ctl::kTestFinish);
    EXPECT_EQ(server.Value("SELECT STATION || ' ' || SN || ' ' || OPERATOR FROM SNTable"), "ST-03 SN1 B-00417");
}

}  // namespace
