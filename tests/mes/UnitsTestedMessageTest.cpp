// The CFX envelope and UnitsTested body made from a journal entry.
#include <gtest/gtest.h>

#include <regex>

#include <nlohmann/json.hpp>

#include "mes/UniqueId.h"
#include "mes/UnitsTestedMessage.h"

namespace {

using json = nlohmann::json;

// Identifiers id-1, id-2, ... so a message can be compared whole.
NewUniqueId Counter()
{
    return [n = 0]() mutable { return "id-" + std::to_string(++n); };
}

UnitJournalEntry TestedUnit(const std::string& verdict)
{
    UnitJournalEntry entry;
    entry.station = "ST-03";
    entry.sn = "RZ26A0145999";
    entry.testStart = JournalClock::from_time_t(1'800'000'000);
    entry.testEnd = *entry.testStart + std::chrono::seconds(20);
    entry.recorded = *entry.testEnd + std::chrono::seconds(5);
    entry.verdict = verdict;
    entry.stored = true;
    entry.items = {{"READMAC", "PASS", {"4D:FF:00:11:22:33"}, "4DFF", 120, 0},
                   {"RFRSSICHECK", "FAIL", {"5", "41", ""}, "30,40,50", 300, 400},
                   {"TESTLED", "PASS", {}, "", 10, 900}};
    return entry;
}

json Message(const UnitJournalEntry& entry, int position = 1)
{
    return json::parse(UnitsTestedMessage(entry, {"Factory.Line1.ST-03", position}, Counter()).json);
}

TEST(UnitsTestedMessage, EnvelopeNamesTheMessageTheSourceAndTheCommitTime)
{
    const UnitJournalEntry entry = TestedUnit("PASS");
    const json message = Message(entry);
    EXPECT_EQ(message["MessageName"], "CFX.Production.TestAndInspection.UnitsTested");
    EXPECT_EQ(message["Source"], "Factory.Line1.ST-03");
    EXPECT_EQ(message["TimeStamp"], JournalTimeText(entry.recorded));
    EXPECT_TRUE(message["Target"].is_null());
    EXPECT_TRUE(message["RequestID"].is_null());
    EXPECT_EQ(message["UniqueID"], UnitsTestedMessage(entry, {"h", 1}, Counter()).uniqueId);
    EXPECT_EQ(message["MessageBody"]["$type"], "CFX.Production.TestAndInspection.UnitsTested, CFX");
    EXPECT_EQ(message["MessageBody"]["TestMethod"], "Automated");
    EXPECT_EQ(message["MessageBody"]["Tester"]["OperatorIdentifier"], "ST-03");
    EXPECT_FALSE(message["MessageBody"]["TransactionId"].get<std::string>().empty());
}

TEST(UnitsTestedMessage, TheUnitCarriesItsSnPositionAndVerdict)
{
    const struct {
        std::string verdict;
        int position;
        const char* result;
    } cases[] = {{"PASS", 1, "Passed"}, {"FAIL", 1, "Failed"}, {"PASS", 3, "Passed"}};
    for (const auto& c : cases) {
        const json unit = Message(TestedUnit(c.verdict), c.position)["MessageBody"]["TestedUnits"].at(0);
        EXPECT_EQ(unit["UnitIdentifier"], "RZ26A0145999");
        EXPECT_EQ(unit["UnitPositionNumber"], c.position);
        EXPECT_EQ(unit["OverallResult"], c.result) << c.verdict;
    }
}

TEST(UnitsTestedMessage, OneTestPerItemWithResultAndTimesFromTheTestStart)
{
    const UnitJournalEntry entry = TestedUnit("FAIL");
    const json tests = Message(entry)["MessageBody"]["TestedUnits"][0]["Tests"];
    ASSERT_EQ(tests.size(), 3u);
    EXPECT_EQ(tests[1]["TestName"], "RFRSSICHECK");
    EXPECT_EQ(tests[1]["Result"], "Failed");
    EXPECT_EQ(tests[0]["Result"], "Passed");
    const auto start = *entry.testStart + std::chrono::milliseconds(400);
    EXPECT_EQ(tests[1]["TestStartTime"], JournalTimeText(start));
    EXPECT_EQ(tests[1]["TestEndTime"], JournalTimeText(start + std::chrono::milliseconds(300)));
    EXPECT_TRUE(tests[2]["Measurements"].empty());

    UnitJournalEntry untimed = entry;
    untimed.testStart.reset();
    EXPECT_TRUE(Message(untimed)["MessageBody"]["TestedUnits"][0]["Tests"][0]["TestStartTime"].is_null());
}

TEST(UnitsTestedMessage, MeasurementsCarryTheValuesAndTheirReferences)
{
    const json tests = Message(TestedUnit("FAIL"))["MessageBody"]["TestedUnits"][0]["Tests"];
    const json& mac = tests[0]["Measurements"].at(0);
    EXPECT_EQ(mac["$type"], "CFX.Structures.TextMeasurement, CFX");
    EXPECT_EQ(mac["MeasurementName"], "READMAC");
    EXPECT_EQ(mac["MeasuredValue"], "4D:FF:00:11:22:33");
    EXPECT_EQ(mac["ExpectedValue"], "4DFF");

    const json& signals = tests[1]["Measurements"];
    ASSERT_EQ(signals.size(), 3u);
    EXPECT_EQ(signals[0]["$type"], "CFX.Structures.NumericMeasurement, CFX");
    EXPECT_EQ(signals[0]["MeasurementName"], "RFRSSICHECK.1");
    EXPECT_EQ(signals[0]["MeasuredValue"]["Value"], 5.0);
    EXPECT_EQ(signals[1]["MeasuredValue"]["MinimumAcceptableValue"], 40.0);
    EXPECT_EQ(signals[2]["MeasuredValue"], "") << "a blanked value stays text";
    EXPECT_EQ(signals[2]["ExpectedValue"], "50");
    EXPECT_EQ(signals[2]["Sequence"], 4);
}

TEST(UnitsTestedMessage, EveryIdentifierIsFreshAndGarbledTextStaysValidJson)
{
    UnitJournalEntry entry = TestedUnit("PASS");
    entry.sn = "SN\xff\xfe";
    const CfxMessage first = UnitsTestedMessage(entry, {"h", 1}, MakeUniqueId);
    const CfxMessage second = UnitsTestedMessage(entry, {"h", 1}, MakeUniqueId);
    EXPECT_NE(first.uniqueId, second.uniqueId);
    EXPECT_TRUE(std::regex_match(first.uniqueId,
                                 std::regex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")))
        << first.uniqueId;
    EXPECT_FALSE(json::parse(first.json, nullptr, false).is_discarded());
}

}  // namespace
