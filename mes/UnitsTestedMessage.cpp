#include "mes/UnitsTestedMessage.h"

#include <cstdlib>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;

constexpr const char* kCfxVersion = "1.2";
constexpr const char* kUnitsTestedType = "CFX.Production.TestAndInspection.UnitsTested, CFX";
constexpr const char* kNumericMeasurementType = "CFX.Structures.NumericMeasurement, CFX";
constexpr const char* kTextMeasurementType = "CFX.Structures.TextMeasurement, CFX";
constexpr const char* kTestMethod = "Automated";
constexpr const char* kPassed = "Passed";
constexpr const char* kFailed = "Failed";
constexpr const char* kJournalPass = "PASS";
constexpr char kReferenceSeparator = ',';

const char* Result(const std::string& journalResult)
{
    return journalResult == kJournalPass ? kPassed : kFailed;
}

// A decimal number, or nothing for any other text.
std::optional<double> Number(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return std::nullopt;
    return value;
}

json TextOrNull(const std::string& text)
{
    return text.empty() ? json(nullptr) : json(text);
}

// The reference of each value: one part per value when the reference lists
// as many comma-separated parts as the item has values (the signal
// thresholds), else the whole reference for the first value.
std::vector<std::string> References(const JournalItem& item)
{
    std::vector<std::string> parts;
    size_t begin = 0;
    for (size_t comma; (comma = item.reference.find(kReferenceSeparator, begin)) != std::string::npos;
         begin = comma + 1)
        parts.push_back(item.reference.substr(begin, comma - begin));
    parts.push_back(item.reference.substr(begin));
    if (item.values.size() > 1 && parts.size() == item.values.size())
        return parts;
    std::vector<std::string> references(item.values.size());
    if (!references.empty())
        references[0] = item.reference;
    return references;
}

json Measurement(const std::string& name, const std::string& value, const std::string& reference, const json& time,
                 int sequence, const char* result, const NewUniqueId& newId)
{
    json measurement{{"UniqueIdentifier", newId()},
                     {"MeasurementName", name},
                     {"TimeRecorded", time},
                     {"Sequence", sequence},
                     {"Result", result}};
    const auto number = Number(value);
    if (number) {
        const auto limit = Number(reference);
        measurement["$type"] = kNumericMeasurementType;
        measurement["MeasuredValue"] = {{"Value", *number},
                                        {"ValueUnits", nullptr},
                                        {"ExpectedValue", nullptr},
                                        {"MinimumAcceptableValue", limit ? json(*limit) : json(nullptr)}};
    } else {
        measurement["$type"] = kTextMeasurementType;
        measurement["MeasuredValue"] = value;
        measurement["ExpectedValue"] = TextOrNull(reference);
    }
    return measurement;
}

json Test(const UnitJournalEntry& entry, const JournalItem& item, int& sequence, const NewUniqueId& newId)
{
    json start = nullptr;
    json end = nullptr;
    if (entry.testStart) {
        const auto began = *entry.testStart + std::chrono::milliseconds(item.startMs);
        start = JournalTimeText(began);
        end = JournalTimeText(began + std::chrono::milliseconds(item.durationMs));
    }
    const char* result = Result(item.result);
    json measurements = json::array();
    const std::vector<std::string> references = References(item);
    for (size_t i = 0; i < item.values.size(); ++i) {
        const std::string name = item.values.size() == 1 ? item.name : item.name + "." + std::to_string(i + 1);
        measurements.push_back(Measurement(name, item.values[i], references[i], end, ++sequence, result, newId));
    }
    return json{{"UniqueIdentifier", newId()},
                {"TestName", item.name},
                {"TestStartTime", start},
                {"TestEndTime", end},
                {"Result", result},
                {"Measurements", std::move(measurements)}};
}

}  // namespace

// The parts go into their parents by move: an initializer list copies
// what it is given as an lvalue, the whole tree each time.
CfxMessage UnitsTestedMessage(const UnitJournalEntry& entry, const CfxSender& sender, const NewUniqueId& newId)
{
    int sequence = 0;
    json tests = json::array();
    for (const JournalItem& item : entry.items)
        tests.push_back(Test(entry, item, sequence, newId));
    json unit{{"UnitIdentifier", entry.sn},
              {"UnitPositionNumber", sender.positionNumber},
              {"OverallResult", Result(entry.verdict)},
              {"Tests", std::move(tests)}};
    json body{{"$type", kUnitsTestedType},
              {"TransactionId", newId()},
              {"TestMethod", kTestMethod},
              {"Tester", {{"OperatorIdentifier", entry.station}}},
              {"TestedUnits", json::array({std::move(unit)})}};
    CfxMessage message;
    message.uniqueId = newId();
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
