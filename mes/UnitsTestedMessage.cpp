#include "mes/UnitsTestedMessage.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "mes/OperatorMessages.h"
#include "mes/UniqueId.h"

namespace {

using json = nlohmann::json;

constexpr const char* kCfxVersion = "1.2";
constexpr const char* kUnitsTestedType = "CFX.Production.TestAndInspection.UnitsTested, CFX";
constexpr const char* kNumericMeasurementType = "CFX.Structures.NumericMeasurement, CFX";
constexpr const char* kTextMeasurementType = "CFX.Structures.TextMeasurement, CFX";
constexpr const char* kTestMethod = "Automated";
constexpr const char* kTesterActor = "Robot";  // the station, named by OperatorIdentifier, without sign-in
constexpr const char* kNoSampling = "NoSampling";
constexpr const char* kPassed = "Passed";
constexpr const char* kFailed = "Failed";
constexpr const char* kJournalPass = "PASS";
constexpr char kReferenceSeparator = ',';
// Each test's Comments of a unit tested while the MES gave no answer.
constexpr const char* kNotValidatedComment = "Not validated by the MES: it did not answer before the test";

// The items whose values are measured numbers, each checked against its own
// part of the comma-separated reference (the 2G, 3G and 4G signal values
// and their thresholds). Every other item reads texts.
constexpr std::string_view kNumericItems[] = {"RFRSSICHECK"};

// The namespace of every id of a UnitsTested message.
constexpr Uuid kUnitsTestedNamespace = {0xd6, 0x18, 0x75, 0x28, 0xfe, 0x09, 0x47, 0x80,
                                        0x8b, 0x95, 0x87, 0x77, 0xb8, 0x0f, 0x1d, 0xd9};

// What an id stands for within its unit.
constexpr std::string_view kMessageRole = "message";
constexpr std::string_view kTransactionRole = "transaction";
constexpr std::string_view kTestRole = "test/";
constexpr std::string_view kMeasurementRole = "measurement/";

// The ids of one unit's message, all named after the unit.
class UnitIds {
public:
    UnitIds(const UnitJournalEntry& entry, const CfxSender& sender)
    {
        // The record's time as the journal keeps it (milliseconds, UTC), so
        // an entry read back from the journal names the same unit.
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(entry.recorded.time_since_epoch());
        // Each part with its length first: no two units share a name, whatever
        // bytes a handle or SN holds.
        for (const std::string& part : {sender.handle, std::to_string(sender.positionNumber), entry.sn,
                                        std::to_string(ms.count())})
            name_ += std::to_string(part.size()) + ':' + part;
    }

    std::string Id(std::string_view role, int number = 0) const
    {
        std::string name = name_;
        name += role;
        name += std::to_string(number);
        return UuidText(NameBasedUuid(kUnitsTestedNamespace, name));
    }

private:
    std::string name_;
};

const char* Result(const std::string& journalResult)
{
    return journalResult == kJournalPass ? kPassed : kFailed;
}

bool IsNumericItem(const std::string& item)
{
    return std::find(std::begin(kNumericItems), std::end(kNumericItems), item) != std::end(kNumericItems);
}

// A plain decimal number ("-63", "41.5"), or nothing for any other text:
// no exponent, hexadecimal, infinity or blanks, which a reading never has.
std::optional<double> Decimal(const std::string& text)
{
    size_t i = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
    const size_t digits = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    if (i == digits)
        return std::nullopt;
    if (i < text.size() && text[i] == '.') {
        const size_t fraction = ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i;
        if (i == fraction)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
    double value = 0;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

json TextOrNull(const std::string& text)
{
    return text.empty() ? json(nullptr) : json(text);
}

// The reference of each value: a numeric item's comma-separated parts one
// per value; a text item's whole reference for its first value.
std::vector<std::string> References(const JournalItem& item, bool numeric)
{
    std::vector<std::string> references(item.values.size());
    if (references.empty())
        return references;
    if (!numeric) {
        references[0] = item.reference;
        return references;
    }
    size_t begin = 0;
    for (std::string& reference : references) {
        const size_t comma = item.reference.find(kReferenceSeparator, begin);
        reference = item.reference.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
        if (comma == std::string::npos)
            break;
        begin = comma + 1;
    }
    return references;
}

json Measurement(const std::string& name, const std::string& value, const std::string& reference, bool numeric,
                 const json& time, int sequence, const char* result, const UnitIds& ids)
{
    json measurement{{"UniqueIdentifier", ids.Id(kMeasurementRole, sequence)},
                     {"MeasurementName", name},
                     {"TimeRecorded", time},
                     {"Sequence", sequence},
                     {"Result", result}};
    const auto number = numeric ? Decimal(value) : std::nullopt;
    if (number) {
        const auto limit = Decimal(reference);
        measurement["$type"] = kNumericMeasurementType;
        measurement["MeasuredValue"] = {{"Value", *number},
                                        {"ValueUnits", nullptr},
                                        {"ExpectedValue", nullptr},
                                        {"ExpectedValueUnits", nullptr},
                                        {"MinimumAcceptableValue", limit ? json(*limit) : json(nullptr)},
                                        {"MaximumAcceptableValue", nullptr}};
    } else {
        measurement["$type"] = kTextMeasurementType;
        measurement["Value"] = value;
        measurement["ExpectedValue"] = TextOrNull(reference);
    }
    return measurement;
}

json Test(const UnitJournalEntry& entry, const JournalItem& item, int number, int& sequence, const UnitIds& ids)
{
    json start = nullptr;
    json end = nullptr;
    if (entry.testStart) {
        const auto began = *entry.testStart + std::chrono::milliseconds(item.startMs);
        start = JournalTimeText(began);
        end = JournalTimeText(began + std::chrono::milliseconds(item.durationMs));
    }
    const char* result = Result(item.result);
    const bool numeric = IsNumericItem(item.name);
    json measurements = json::array();
    const std::vector<std::string> references = References(item, numeric);
    for (size_t i = 0; i < item.values.size(); ++i) {
        const std::string name = item.values.size() == 1 ? item.name : item.name + "." + std::to_string(i + 1);
        measurements.push_back(
            Measurement(name, item.values[i], references[i], numeric, end, ++sequence, result, ids));
    }
    return json{{"UniqueIdentifier", ids.Id(kTestRole, number)},
                {"TestName", item.name},
                {"TestStartTime", start},
                {"TestEndTime", end},
                {"TestConditions", json::array()},
                {"TestProcedure", nullptr},
                {"Comments", entry.validation == kNotValidated ? json(kNotValidatedComment) : json(nullptr)},
                {"Result", result},
                {"Error", nullptr},
                {"SymptomsFound", json::array()},
                {"DefectsFound", json::array()},
                {"Measurements", std::move(measurements)}};
}

// The signed-in operator who tested the unit; the station itself when
// nobody signs in.
json Tester(const UnitJournalEntry& entry)
{
    if (!entry.operatorId.empty())
        return CfxOperator(entry.operatorId);
    return json{{"OperatorIdentifier", entry.station},
                {"ActorType", kTesterActor},
                {"LastName", nullptr},
                {"FirstName", nullptr},
                {"LoginName", nullptr}};
}

}  // namespace

// The parts go into their parents by move: an initializer list copies
// what it is given as an lvalue, the whole tree each time.
CfxMessage UnitsTestedMessage(const UnitJournalEntry& entry, const CfxSender& sender)
{
    const UnitIds ids(entry, sender);
    int sequence = 0;
    int number = 0;
    json tests = json::array();
    for (const JournalItem& item : entry.items)
        tests.push_back(Test(entry, item, ++number, sequence, ids));
    json unit{{"UnitIdentifier", entry.sn},
              {"UnitPositionNumber", sender.positionNumber},
              {"OverallResult", Result(entry.verdict)},
              {"Tests", std::move(tests)}};
    json body{{"$type", kUnitsTestedType},
              // The work's transaction when the unit's run had one, else its own.
              {"TransactionId", entry.transactionId.empty() ? ids.Id(kTransactionRole) : entry.transactionId},
              {"TestMethod", kTestMethod},
              {"Tester", Tester(entry)},
              {"SamplingInformation", {{"SamplingMethod", kNoSampling}, {"LotSize", nullptr}, {"SampleSize", nullptr}}},
              {"TestedUnits", json::array({std::move(unit)})}};
    CfxMessage message;
    message.uniqueId = ids.Id(kMessageRole);
    const json envelope{{"MessageName", kUnitsTestedMessageName},
                        {"Version", kCfxVersion},
                        {"TimeStamp", JournalTimeText(entry.recorded)},
                        {"UniqueID", message.uniqueId},
                        {"Source", sender.handle},
                        {"Target", nullptr},
                        {"RequestID", nullptr},
                        {"MessageBody", std::move(body)}};
    message.json = envelope.dump(-1, ' ', false, json::error_handler_t::replace);
    return message;
}
