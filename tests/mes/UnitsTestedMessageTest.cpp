// The CFX envelope and UnitsTested body made from a journal entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <regex>
#include <set>

#include <nlohmann/json.hpp>

#include "mes/OperatorMessages.h"
#include "mes/UnitsTestedMessage.h"
#include "tests/mes/TwentyItemUnit.h"
#include "tests/support/ChildProcess.h"

namespace {

using json = nlohmann::json;

constexpr int kChildLineMs = 10'000;  // a child that builds one message
constexpr size_t kTwentyItemValues = 30;  // the values TwentyItemUnit's items read
const std::regex kUuidText("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");

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
    return json::parse(UnitsTestedMessage(entry, {"Factory.Line1.ST-03", position}).json);
}

const json& Tests(const json& message)
{
    return message["MessageBody"]["TestedUnits"][0]["Tests"];
}

// Every id of a message: UniqueID, TransactionId and each UniqueIdentifier.
void CollectIds(const json& node, std::vector<std::string>& ids)
{
    if (node.is_object()) {
        for (const auto& [key, value] : node.items()) {
            if ((key == "UniqueID" || key == "TransactionId" || key == "UniqueIdentifier") && value.is_string())
                ids.push_back(value);
            CollectIds(value, ids);
        }
    } else if (node.is_array()) {
        for (const auto& value : node)
            CollectIds(value, ids);
    }
}

std::vector<std::string> Ids(const json& message)
{
    std::vector<std::string> ids;
    CollectIds(message, ids);
    return ids;
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
    EXPECT_EQ(message["UniqueID"], UnitsTestedMessage(entry, {"Factory.Line1.ST-03", 1}).uniqueId);
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
    const json tests = Tests(Message(entry));
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
    EXPECT_TRUE(Tests(Message(untimed))[0]["TestStartTime"].is_null());
}

TEST(UnitsTestedMessage, MeasurementsCarryTheValuesAndTheirReferences)
{
    const json tests = Tests(Message(TestedUnit("FAIL")));
    const json& mac = tests[0]["Measurements"].at(0);
    EXPECT_EQ(mac["$type"], "CFX.Structures.TextMeasurement, CFX");
    EXPECT_EQ(mac["MeasurementName"], "READMAC");
    EXPECT_EQ(mac["Value"], "4D:FF:00:11:22:33");
    EXPECT_EQ(mac["ExpectedValue"], "4DFF");
    EXPECT_FALSE(mac.contains("MeasuredValue"));

    const json& signals = tests[1]["Measurements"];
    ASSERT_EQ(signals.size(), 3u);
    EXPECT_EQ(signals[0]["$type"], "CFX.Structures.NumericMeasurement, CFX");
    EXPECT_EQ(signals[0]["MeasurementName"], "RFRSSICHECK.1");
    EXPECT_EQ(signals[0]["MeasuredValue"]["Value"], 5.0);
    EXPECT_EQ(signals[1]["MeasuredValue"]["MinimumAcceptableValue"], 40.0);
    EXPECT_EQ(signals[2]["$type"], "CFX.Structures.TextMeasurement, CFX") << "a blanked value stays text";
    EXPECT_EQ(signals[2]["Value"], "");
    EXPECT_EQ(signals[2]["ExpectedValue"], "50");
    EXPECT_EQ(signals[2]["Sequence"], 4);
}

// A unit tested without the MES's go-ahead says so in each test's
// Comments; a validated one, or one of a station that does not ask, has none.
TEST(UnitsTestedMessage, AUnitTestedWithoutTheMesGoAheadSaysSoInEachTest)
{
    for (const std::string validation : {"", "passed", "not validated"}) {
        UnitJournalEntry entry = TestedUnit("PASS");
        entry.validation = validation;
        const json message = Message(entry);  // the tests are read from it in place
        for (const json& test : Tests(message)) {
            if (validation == "not validated")
                EXPECT_EQ(test["Comments"], "Not validated by the MES: it did not answer before the test");
            else
                EXPECT_TRUE(test["Comments"].is_null()) << validation;
        }
    }
}

TEST(UnitsTestedMessage, GarbledTextStaysValidJson)
{
    UnitJournalEntry entry = TestedUnit("PASS");
    entry.sn = "SN\xff\xfe";
    const CfxMessage message = UnitsTestedMessage(entry, {"h", 1});
    EXPECT_TRUE(std::regex_match(message.uniqueId, kUuidText)) << message.uniqueId;
    EXPECT_FALSE(json::parse(message.json, nullptr, false).is_discarded());
}

// Identities, versions and states are texts whatever they look like: a
// number would lose a leading zero or turn a scanned IMEI into a limit.
TEST(UnitsTestedMessage, IdentitiesVersionsAndStatesStayTextByteForByte)
{
    const struct {
        const char* item;
        const char* value;
        const char* reference;
    } cases[] = {
        {"READIMEI", "086740001234567", "086740001234567"},
        {"READIMEI", "358240057310013", "358240057310013"},
        {"READMAC", "001122334455", "001122334455"},
        {"READSN", "000123", "000"},
        {"READVER", "1.20", "1.2"},
        {"READSIM", "89860012345678901234", ""},
        {"READSSID", "-12", "-1"},
        {"WRITE_LOCK_PN", "1", ""},
    };
    for (const auto& c : cases) {
        UnitJournalEntry entry = TestedUnit("PASS");
        entry.items = {{c.item, "PASS", {c.value}, c.reference, 10, 0}};
        const json measurement = Tests(Message(entry))[0]["Measurements"].at(0);
        EXPECT_EQ(measurement["$type"], "CFX.Structures.TextMeasurement, CFX") << c.item << ' ' << c.value;
        EXPECT_EQ(measurement["Value"], c.value) << c.item;
        if (*c.reference) {
            EXPECT_EQ(measurement["ExpectedValue"], c.reference) << c.item;
        } else {
            EXPECT_TRUE(measurement["ExpectedValue"].is_null()) << c.item;
        }
    }
}

// A text item's reference belongs to its first value whole, commas and all.
TEST(UnitsTestedMessage, ATextItemsReferenceIsNeverSplit)
{
    UnitJournalEntry entry = TestedUnit("PASS");
    entry.items = {{"READVER", "PASS", {"V1,2", "20260314"}, "V1,2", 10, 0}};
    const json measurements = Tests(Message(entry))[0]["Measurements"];
    ASSERT_EQ(measurements.size(), 2u);
    EXPECT_EQ(measurements[0]["ExpectedValue"], "V1,2");
    EXPECT_TRUE(measurements[1]["ExpectedValue"].is_null());
    EXPECT_EQ(measurements[1]["Value"], "20260314");
}

// The signal values are numbers with their threshold as the least
// acceptable value; what is not a plain decimal number goes as text.
TEST(UnitsTestedMessage, SignalValuesAreNumbersWithTheirThresholdAsMinimum)
{
    const struct {
        const char* value;
        const char* threshold;
        bool numeric;
        double number;
        std::optional<double> minimum;
    } cases[] = {
        {"63", "30", true, 63.0, 30.0},       {"-75", "-90", true, -75.0, -90.0}, {"55.5", "", true, 55.5, {}},
        {"+7", "x", true, 7.0, {}},           {"", "30", false, 0, {}},          {"0x1A", "30", false, 0, {}},
        {"inf", "30", false, 0, {}},          {"1e3", "30", false, 0, {}},       {" 63", "30", false, 0, {}},
        {"63.", "30", false, 0, {}},          {"-", "30", false, 0, {}},         {"nan", "30", false, 0, {}},
    };
    for (const auto& c : cases) {
        UnitJournalEntry entry = TestedUnit("PASS");
        entry.items = {{"RFRSSICHECK", "PASS", {c.value}, c.threshold, 10, 0}};
        const json measurement = Tests(Message(entry))[0]["Measurements"].at(0);
        if (!c.numeric) {
            EXPECT_EQ(measurement["$type"], "CFX.Structures.TextMeasurement, CFX") << c.value;
            EXPECT_EQ(measurement["Value"], c.value);
            continue;
        }
        ASSERT_EQ(measurement["$type"], "CFX.Structures.NumericMeasurement, CFX") << c.value;
        EXPECT_EQ(measurement["MeasuredValue"]["Value"], c.number) << c.value;
        if (c.minimum) {
            EXPECT_EQ(measurement["MeasuredValue"]["MinimumAcceptableValue"], *c.minimum) << c.value;
        } else {
            EXPECT_TRUE(measurement["MeasuredValue"]["MinimumAcceptableValue"].is_null()) << c.value;
        }
    }
}

// ---- The fields as the CFX reference defines them -------------------------

// JSON types a field may take.
enum Kind { kString = 1, kNull = 2, kNumber = 4, kInteger = 8, kObject = 16, kArray = 32 };
using Shape = std::map<std::string, int>;  // field -> the kinds it may take

// Written from the reference's classes (a C# string or nullable value may
// be null; an enumeration is written as its name), not from the builder.
const Shape kEnvelope = {{"MessageName", kString}, {"Version", kString},        {"TimeStamp", kString},
                         {"UniqueID", kString},    {"Source", kString | kNull}, {"Target", kString | kNull},
                         {"RequestID", kString | kNull}, {"MessageBody", kObject}};
const Shape kUnitsTested = {{"$type", kString},  {"TransactionId", kString},        {"TestMethod", kString},
                            {"Tester", kObject}, {"SamplingInformation", kObject}, {"TestedUnits", kArray}};
const Shape kOperator = {{"OperatorIdentifier", kString | kNull}, {"ActorType", kString}, {"LastName", kString | kNull},
                         {"FirstName", kString | kNull},          {"LoginName", kString | kNull}};
const Shape kSampling = {{"SamplingMethod", kString}, {"LotSize", kNumber | kNull}, {"SampleSize", kNumber | kNull}};
const Shape kTestedUnit = {{"UnitIdentifier", kString | kNull},
                           {"UnitPositionNumber", kInteger | kNull},
                           {"OverallResult", kString},
                           {"Tests", kArray}};
const Shape kTest = {{"UniqueIdentifier", kString | kNull}, {"TestName", kString | kNull},
                     {"TestStartTime", kString | kNull},    {"TestEndTime", kString | kNull},
                     {"TestConditions", kArray | kNull},    {"TestProcedure", kString | kNull},
                     {"Comments", kString | kNull},         {"Result", kString},
                     {"Error", kString | kNull},            {"SymptomsFound", kArray | kNull},
                     {"DefectsFound", kArray | kNull},      {"Measurements", kArray | kNull}};
const Shape kMeasurement = {{"$type", kString},     {"UniqueIdentifier", kString | kNull},
                            {"MeasurementName", kString | kNull}, {"TimeRecorded", kString | kNull},
                            {"Sequence", kInteger}, {"Result", kString}};
const Shape kTextMeasurementOwn = {{"Value", kString | kNull}, {"ExpectedValue", kString | kNull}};
const Shape kNumericMeasurementOwn = {{"MeasuredValue", kObject}};
const Shape kNumericValue = {{"Value", kNumber},
                             {"ValueUnits", kString | kNull},
                             {"ExpectedValue", kNumber | kNull},
                             {"ExpectedValueUnits", kString | kNull},
                             {"MinimumAcceptableValue", kNumber | kNull},
                             {"MaximumAcceptableValue", kNumber | kNull}};
const std::set<std::string> kTestResults = {"Passed", "Failed", "Error", "Aborted", "Skipped"};
const std::set<std::string> kTestMethods = {"Human", "Automated", "ICT", "FPT", "FCT", "BST"};
const std::set<std::string> kActorTypes = {"Human", "Robot", "RemoteSystem"};

int KindOf(const json& value)
{
    if (value.is_string())
        return kString;
    if (value.is_null())
        return kNull;
    if (value.is_number_integer())
        return kInteger | kNumber;
    if (value.is_number())
        return kNumber;
    return value.is_object() ? kObject : value.is_array() ? kArray : 0;
}

// Every field of `shape` is there with an allowed type, and nothing else.
void ExpectShape(const json& object, const Shape& shape, const std::string& where)
{
    ASSERT_TRUE(object.is_object()) << where;
    for (const auto& [field, kinds] : shape) {
        ASSERT_TRUE(object.contains(field)) << where << " lacks " << field;
        EXPECT_NE(KindOf(object[field]) & kinds, 0) << where << '.' << field << " is " << object[field].dump();
    }
    for (const auto& [field, value] : object.items())
        EXPECT_TRUE(shape.contains(field)) << where << " has " << field << ", which the reference does not define";
}

Shape Joined(Shape a, const Shape& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

TEST(UnitsTestedMessage, EveryFieldOfATwentyItemUnitIsTheReferencesNameAndType)
{
    const json message = json::parse(UnitsTestedMessage(TwentyItemUnit(), {"Factory.Line1.ST-03", 2}).json);
    ExpectShape(message, kEnvelope, "envelope");
    EXPECT_TRUE(std::regex_match(message["UniqueID"].get<std::string>(), kUuidText));
    const json& body = message["MessageBody"];
    ExpectShape(body, kUnitsTested, "UnitsTested");
    EXPECT_TRUE(std::regex_match(body["TransactionId"].get<std::string>(), kUuidText));
    EXPECT_TRUE(kTestMethods.contains(body["TestMethod"]));
    ExpectShape(body["Tester"], kOperator, "Tester");
    EXPECT_TRUE(kActorTypes.contains(body["Tester"]["ActorType"]));
    ExpectShape(body["SamplingInformation"], kSampling, "SamplingInformation");
    ASSERT_EQ(body["TestedUnits"].size(), 1u);
    const json& unit = body["TestedUnits"][0];
    ExpectShape(unit, kTestedUnit, "TestedUnit");
    EXPECT_TRUE(kTestResults.contains(unit["OverallResult"]));
    ASSERT_EQ(unit["Tests"].size(), 20u);
    int numeric = 0;
    size_t measurements = 0;
    for (const json& test : unit["Tests"]) {
        const std::string name = test["TestName"];
        ExpectShape(test, kTest, name);
        EXPECT_TRUE(kTestResults.contains(test["Result"])) << name;
        for (const json& measurement : test["Measurements"]) {
            ++measurements;
            const std::string where = name + " " + measurement.value("MeasurementName", "?");
            EXPECT_TRUE(kTestResults.contains(measurement["Result"])) << where;
            if (measurement["$type"] == "CFX.Structures.NumericMeasurement, CFX") {
                ++numeric;
                ExpectShape(measurement, Joined(kMeasurement, kNumericMeasurementOwn), where);
                ExpectShape(measurement["MeasuredValue"], kNumericValue, where + " MeasuredValue");
            } else {
                EXPECT_EQ(measurement["$type"], "CFX.Structures.TextMeasurement, CFX") << where;
                ExpectShape(measurement, Joined(kMeasurement, kTextMeasurementOwn), where);
            }
        }
    }
    EXPECT_EQ(measurements, kTwentyItemValues);
    EXPECT_EQ(numeric, 3) << "the three signal values, nothing else";
}

// ---- Ids from the unit ------------------------------------------------------

TEST(UnitsTestedMessage, AnEntryReadBackFromItsJournalLineGivesTheSameMessage)
{
    UnitJournalEntry entry = TwentyItemUnit();
    // TEST FINISH's clock is finer than the journal's milliseconds.
    entry.recorded += std::chrono::microseconds(1234);
    const auto read = ParseUnitJournalLine(UnitJournalLine(entry));
    ASSERT_TRUE(read);
    EXPECT_EQ(UnitsTestedMessage(*read, {"h", 2}).json, UnitsTestedMessage(entry, {"h", 2}).json);
}

// The message a child process builds for handle, slot, SN and time.
std::string ChildMessage(const std::string& handle, int slot, const std::string& sn, int64_t recordedMs)
{
    ChildProcess child({UNITSTESTED_MESSAGE_PROGRAM, handle, std::to_string(slot), sn, std::to_string(recordedMs)});
    return child.ReadLine(kChildLineMs);
}

// One process per message: the ids must come from the unit, never from a
// generator's state, whether seeded or not.
TEST(UnitsTestedMessage, TheSameUnitGivesTheSameIdsInTwoProcesses)
{
    constexpr int64_t kRecordedMs = 1'800'000'025'250;
    const std::string first = ChildMessage("Factory.Line1.ST-03", 2, "RZ26A0145999", kRecordedMs);
    const std::string second = ChildMessage("Factory.Line1.ST-03", 2, "RZ26A0145999", kRecordedMs);
    ASSERT_FALSE(first.empty()) << "the child wrote no message";
    EXPECT_EQ(first, second);
    const JournalClock::time_point recorded{std::chrono::milliseconds(kRecordedMs)};
    EXPECT_EQ(first, UnitsTestedMessage(TwentyItemUnit("RZ26A0145999", recorded), {"Factory.Line1.ST-03", 2}).json);
}

TEST(UnitsTestedMessage, UnitsDifferingInHandleSlotSnOrTimeNeverShareAnId)
{
    constexpr int64_t kRecordedMs = 1'800'000'025'250;
    const struct {
        const char* handle;
        int slot;
        const char* sn;
        int64_t recordedMs;
    } units[] = {
        {"Factory.Line1.ST-03", 2, "RZ26A0145999", kRecordedMs},
        {"Factory.Line1.ST-04", 2, "RZ26A0145999", kRecordedMs},
        {"Factory.Line1.ST-03", 3, "RZ26A0145999", kRecordedMs},
        {"Factory.Line1.ST-03", 2, "RZ26A0146000", kRecordedMs},
        {"Factory.Line1.ST-03", 2, "RZ26A0145999", kRecordedMs + 1},
        // Parts that run together the same way when joined without lengths.
        {"Factory.Line1.ST-0", 32, "RZ26A0145999", kRecordedMs},
        {"Factory.Line1.ST-03", 2, "", kRecordedMs},
    };
    std::map<std::string, std::string> owner;  // id -> the unit it was given to
    for (const auto& u : units) {
        const std::string unit = std::string(u.handle) + " slot " + std::to_string(u.slot) + " " + u.sn + " " +
                                 std::to_string(u.recordedMs);
        const std::string line = ChildMessage(u.handle, u.slot, u.sn, u.recordedMs);
        ASSERT_FALSE(line.empty()) << unit;
        const std::vector<std::string> ids = Ids(json::parse(line));
        ASSERT_EQ(ids.size(), 1u + 1u + 20u + kTwentyItemValues) << unit;
        for (const std::string& id : ids) {
            EXPECT_TRUE(std::regex_match(id, kUuidText)) << id;
            const auto [at, fresh] = owner.emplace(id, unit);
            EXPECT_TRUE(fresh) << id << " of " << unit << " was already given to " << at->second;
        }
    }
}

// ---- The operator -----------------------------------------------------------

TEST(UnitsTestedMessage, TheTesterIsTheSignedInOperatorElseTheStation)
{
    UnitJournalEntry entry = TestedUnit("PASS");
    const json robot = Message(entry)["MessageBody"]["Tester"];
    EXPECT_EQ(robot["ActorType"], "Robot");
    EXPECT_EQ(robot["OperatorIdentifier"], "ST-03");
    entry.operatorId = "B-00417";
    const json human = Message(entry)["MessageBody"]["Tester"];
    ExpectShape(human, kOperator, "Tester");
    EXPECT_EQ(human["ActorType"], "Human");
    EXPECT_EQ(human["OperatorIdentifier"], "B-00417");
    EXPECT_EQ(human["LoginName"], "B-00417");
}

TEST(OperatorMessages, SignInAndSignOutAreTheReferencesMessagesWithTheOperator)
{
    const CfxSender sender {"Factory.Line1.ST-03", 2};
    const auto at = JournalClock::from_time_t(1'800'000'000) + std::chrono::milliseconds(250);
    const struct {
        OutboxMessage message;
        const char* name;
    } rows[] = {
        {OperatorActivatedMessage("B-00417", at, sender), "CFX.Production.OperatorActivated"},
        {OperatorDeactivatedMessage("B-00417", at, sender), "CFX.Production.OperatorDeactivated"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.message.name, row.name);
        const json message = json::parse(row.message.json);
        ExpectShape(message, kEnvelope, "envelope");
        EXPECT_EQ(message["MessageName"], row.name);
        EXPECT_EQ(message["UniqueID"], row.message.uniqueId);
        EXPECT_TRUE(std::regex_match(row.message.uniqueId, kUuidText));
        EXPECT_EQ(message["Source"], "Factory.Line1.ST-03");
        EXPECT_EQ(message["TimeStamp"], JournalTimeText(at));
        const json& body = message["MessageBody"];
        ExpectShape(body, {{"$type", kString}, {"Operator", kObject}}, "body");
        EXPECT_EQ(body["$type"], std::string(row.name) + ", CFX");
        ExpectShape(body["Operator"], kOperator, "Operator");
        EXPECT_EQ(body["Operator"]["OperatorIdentifier"], "B-00417");
        EXPECT_EQ(body["Operator"]["ActorType"], "Human");
    }
    EXPECT_NE(rows[0].message.uniqueId, rows[1].message.uniqueId);
}

TEST(OperatorMessages, TheSameChangeGivesTheSameIdAndEveryOtherChangeAnother)
{
    const CfxSender sender {"Factory.Line1.ST-03", 2};
    const auto at = JournalClock::from_time_t(1'800'000'000);
    const std::string id = OperatorActivatedMessage("B-1", at, sender).uniqueId;
    EXPECT_EQ(OperatorActivatedMessage("B-1", at, sender).uniqueId, id);
    for (const std::string& other : {OperatorActivatedMessage("B-2", at, sender).uniqueId,
                                     OperatorActivatedMessage("B-1", at + std::chrono::milliseconds(1), sender).uniqueId,
                                     OperatorActivatedMessage("B-1", at, {"Factory.Line1.ST-03", 3}).uniqueId,
                                     OperatorDeactivatedMessage("B-1", at, sender).uniqueId})
        EXPECT_NE(other, id);
}

}  // namespace
