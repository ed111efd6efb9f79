// The IMEI lookup against a real SQLite file.
#include <gtest/gtest.h>

#include <fstream>

#include "records/ImeiLookup.h"
#include "records/ResultStore.h"
#include "tests/support/SqliteFiles.h"
#include "tests/support/TempDir.h"

namespace {

class Lookup : public testing::Test {
protected:
    void SetUp() override
    {
        Query(file, "CREATE TABLE \"Lab\"\"els\"(IMEI VARCHAR(30), MAC VARCHAR(30), SN VARCHAR(30), NOTE TEXT)");
        Query(file, "INSERT INTO \"Lab\"\"els\" VALUES"
                    " ('867400012345678', 'MAC-A', 'SN-A', ''),"
                    " ('867400012345678', 'MAC-B', 'SN-B', ''),"
                    " ('', 'MAC-EMPTY', 'SN-EMPTY', ''),"
                    " (NULL, 'MAC-NULL', 'SN-NULL', ''),"
                    " ('111', NULL, 'SN-111', ''),"
                    " ('abc', 'MAC-abc', 'SN-abc', '')");
    }

    std::optional<std::string> Find(const std::string& column, const std::string& imei)
    {
        return ImeiLookup().Find(file.string(), "Lab\"els", column, imei);
    }

    TempWorkDir dir;
    std::filesystem::path file = dir.Path() / "labels.db";
};

TEST_F(Lookup, FirstMatchingRowInTableOrderWins)
{
    const struct {
        const char* column;
        const char* imei;
        std::optional<std::string> expected;
    } cases[] = {
        {"MAC", "867400012345678", "MAC-A"},
        {"SN", "867400012345678", "SN-A"},
        {"MAC", "", "MAC-EMPTY"},         // an empty scan matches an empty stored IMEI
        {"MAC", "111", std::nullopt},     // a NULL value never matches
        {"SN", "111", "SN-111"},
        {"MAC", "ABC", std::nullopt},     // letter case counts
        {"MAC", "867400012345678 ", std::nullopt},
        {"MAC", "999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Find(c.column, c.imei), c.expected) << c.column << " of '" << c.imei << "'";
}

// The file is only read; the index that serves the lookups is the station's
// own, built again when the file changes. The comparison is on the text.
TEST_F(Lookup, TheFileIsOnlyReadAndTheKeptIndexFollowsItsChanges)
{
    Query(file, "CREATE TABLE Numbers(IMEI INTEGER, MAC TEXT)");
    Query(file, "INSERT INTO Numbers VALUES (867400012345678, 'MAC-INT')");
    Query(file, "INSERT INTO \"Lab\"\"els\" VALUES ('0867400012345679', 'MAC-ZERO', '', '')");
    const std::string before = ReadFileText(file);
    ImeiLookup lookup;
    const auto find = [&](const char* table, const char* imei) { return lookup.Find(file.string(), table, "MAC", imei); };
    EXPECT_EQ(find("Numbers", "867400012345678"), "MAC-INT");
    EXPECT_EQ(find("Numbers", "0867400012345678"), std::nullopt);
    EXPECT_EQ(find("Lab\"els", "867400012345679"), std::nullopt);
    EXPECT_EQ(find("Lab\"els", "0867400012345679"), "MAC-ZERO");
    EXPECT_EQ(find("Lab\"els", "abc"), "MAC-abc");
    EXPECT_EQ(find("Lab\"els", "ABC"), std::nullopt);
    EXPECT_EQ(ReadFileText(file), before);
    Query(file, "INSERT INTO \"Lab\"\"els\" VALUES ('222', 'MAC-222', '', '')");
    EXPECT_EQ(find("Lab\"els", "222"), "MAC-222");
    Query(file, "CREATE INDEX ByImei ON Numbers(IMEI)");
    EXPECT_EQ(find("Numbers", "867400012345678"), "MAC-INT");
    EXPECT_EQ(find("Numbers", "0867400012345678"), std::nullopt);
}

TEST_F(Lookup, TableNameIsAnIdentifierNeverSql)
{
    EXPECT_THROW(ImeiLookup().Find(file.string(), "Lab\"els\" WHERE 1=1; DROP TABLE \"Lab\"\"els", "MAC", "111"),
                 StoreError);
    EXPECT_EQ(Query(file, "SELECT count(*) FROM \"Lab\"\"els\""), Rows {{"6"}});
}

TEST_F(Lookup, UnreadableSourcesThrowWithTheEnginesReason)
{
    std::ofstream(dir.Path() / "notes.txt") << "IMEI,MAC\n867400012345678,A4\n";
    const struct {
        std::string file;
        std::string table;
        std::string reason;
    } cases[] = {
        {file.string(), "Units", "no such table"},
        {(dir.Path() / "notes.txt").string(), "Labels", "file is not a database"},
        {(dir.Path() / "missing.db").string(), "Labels", "unable to open"},
    };
    for (const auto& c : cases) {
        try {
            ImeiLookup().Find(c.file, c.table, "MAC", "1");
            ADD_FAILURE() << c.reason;
        } catch (const StoreError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing.db"));
}

}  // namespace
