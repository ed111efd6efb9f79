// SCAN MAC and SCAN SN filled from the lookup database by the scanned IMEI.
#include <fstream>

#include "link/Trace.h"
#include "tests/station/StationFixture.h"
#include "tests/support/SqliteFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kLookupProfile = "[Station]\nUSEMDB=YES\n"
                                       "[ReadFromDB]\nREAD_MAC_FROM_DB_IMEI=YES\nREAD_SN_FROM_DB_IMEI=YES\n"
                                       "READ_DB_FILE_NAME=labels.db\nREAD_DB_TABLE_NAME=Labels\n";
constexpr const char* kFailed = "box RuriZuda warning: Failed to read MAC from DB!";

class Lookups : public StationFixture {
protected:
    void SetUp() override
    {
        WriteProfile(kLookupProfile);
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = dir.Path();
        Start(std::move(options));
        window.SetText(ctl::kScanMac, "typed MAC");
        window.SetText(ctl::kScanSn, "typed SN");
        window.events.clear();
    }

    void MakeLabels(const std::string& rows)
    {
        Query(labels, "CREATE TABLE Labels(IMEI VARCHAR(30), MAC VARCHAR(30), SN VARCHAR(30))");
        Query(labels, "INSERT INTO Labels VALUES " + rows);
    }

    // Enter in SCAN IMEI with `imei` scanned: both lookups.
    std::pair<int, int> LookUp(const std::string& imei)
    {
        window.SetText(ctl::kScanImei, imei);
        window.events.clear();
        window.boxes.clear();
        return {station->LookupMacByImei(), station->LookupSnByImei()};
    }

    fs::path labels = dir.Path() / "labels.db";
};

TEST_F(Lookups, MatchingRowFillsBothScanFieldsAndTheirMembers)
{
    MakeLabels("('867400012345678', 'A4-5E-60-C1-22-9F', 'RZ26A0145871'), ('867400012345678', 'X', 'Y')");
    EXPECT_EQ(LookUp("867400012345678"), std::make_pair(1, 1));
    EXPECT_EQ(window.Text(ctl::kScanMac), "A4-5E-60-C1-22-9F");
    EXPECT_EQ(window.Text(ctl::kScanSn), "RZ26A0145871");
    EXPECT_EQ(station->bound.scanMac, "A4-5E-60-C1-22-9F");
    EXPECT_EQ(station->bound.scanSn, "RZ26A0145871");
    EXPECT_EQ(station->scanned.imei, "867400012345678");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(Lookups, NoMatchLeavesTheFieldsQuietly)
{
    MakeLabels("(NULL, 'NULL-MAC', 'NULL-SN'), ('867400012345678', NULL, NULL)");
    for (const char* imei : {"", "867400012345678", "999"}) {
        EXPECT_EQ(LookUp(imei), std::make_pair(0, 0)) << imei;
        EXPECT_EQ(window.Text(ctl::kScanMac), "typed MAC");
        EXPECT_EQ(window.Text(ctl::kScanSn), "typed SN");
        EXPECT_TRUE(window.boxes.empty());
    }
}

TEST_F(Lookups, OverLongValuesAreCutToTheScanFieldWithATrace)
{
    MakeLabels("('1', '" + std::string(20, 'M') + "', '" + std::string(35, 'S') + "')");
    TraceRecorder traces;
    TraceSink* previous = InstallTraceSink(&traces);
    LookUp("1");
    InstallTraceSink(previous);
    EXPECT_EQ(window.Text(ctl::kScanMac), std::string(18, 'M'));
    EXPECT_EQ(window.Text(ctl::kScanSn), std::string(28, 'S'));
    EXPECT_NE(traces.texts.find("cut to 18 characters\n"), std::string::npos) << traces.texts;
    EXPECT_NE(traces.texts.find("cut to 28 characters\n"), std::string::npos) << traces.texts;
}

TEST_F(Lookups, MissingOrForeignFileShowsTheFailureOncePerLookup)
{
    EXPECT_EQ(LookUp("1"), std::make_pair(0, 0));
    EXPECT_EQ(window.events, (std::vector<std::string> {kFailed, kFailed}));
    std::ofstream(labels) << "IMEI,MAC,SN\n1,A,B\n";
    LookUp("1");
    ASSERT_EQ(window.boxes.size(), 2u);
    EXPECT_EQ(window.boxes[0].text, "Failed to read MAC from DB!\n" + labels.string() + ": file is not a database");
    EXPECT_EQ(window.Text(ctl::kScanMac), "typed MAC");
    EXPECT_EQ(window.Text(ctl::kScanSn), "typed SN");
}

TEST_F(Lookups, StationsOwnPassMdbServesAsLookupFile)
{
    WriteProfile("[Station]\nUSEMDB=YES\n[ReadFromDB]\nREAD_DB_FILE_NAME=PASS.mdb\nREAD_DB_TABLE_NAME=SNTable\n");
    StationOptions options;
    options.fixedPort = kUnitPort;
    options.dataDir = dir.Path();
    Start(std::move(options));
    station->unit.imei = "867400012345678";
    station->unit.mac = "A4-5E-60-C1-22-9F";
    station->unit.sn = "RZ26A0145871";
    station->OnTestFinish();
    EXPECT_EQ(LookUp("867400012345678"), std::make_pair(1, 1));
    EXPECT_EQ(window.Text(ctl::kScanMac), "A4-5E-60-C1-22-9F");
    EXPECT_EQ(window.Text(ctl::kScanSn), "RZ26A0145871");
}

}  // namespace
