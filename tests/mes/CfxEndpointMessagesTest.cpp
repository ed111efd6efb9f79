// The station's own CFX messages (work, state, endpoint), checked against
// the reference's names and types, and the state model in virtual time.
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include <nlohmann/json.hpp>

#include "mes/EndpointMessages.h"
#include "mes/StationStateTracker.h"
#include "mes/WorkMessages.h"

namespace {

using json = nlohmann::json;
using namespace std::chrono_literals;

const CfxSender kSender {"Factory.Line1.ST-03", 2};
const JournalClock::time_point kTime = JournalClock::from_time_t(1'800'000'000);
const std::regex kUuidText("[0-9a-f]{8}-[0-9a-f]{4}-5[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
const std::regex kTimeSpanText(R"((\d+\.)?\d\d:\d\d:\d\d(\.\d{7})?)");

// The JSON type a field must have, from the reference's classes: a C#
// string, Guid, TimeSpan or enumeration is a string; int a whole number.
enum class Type { String, Integer, Number, Boolean, Object, Array, Null, StringOrNull };
using Fields = std::map<std::string, Type>;

bool Is(const json& value, Type type)
{
    switch (type) {
    case Type::String: return value.is_string();
    case Type::Integer: return value.is_number_integer();
    case Type::Number: return value.is_number();
    case Type::Boolean: return value.is_boolean();
    case Type::Object: return value.is_object();
    case Type::Array: return value.is_array();
    case Type::Null: return value.is_null();
    case Type::StringOrNull: return value.is_string() || value.is_null();
    }
    return false;
}

// Exactly the fields of the table, each of its type.
void ExpectFields(const json& object, const Fields& fields, const std::string& where)
{
    ASSERT_TRUE(object.is_object()) << where;
    for (const auto& [name, type] : fields) {
        ASSERT_TRUE(object.contains(name)) << where << " lacks " << name;
        EXPECT_TRUE(Is(object[name], type)) << where << '.' << name << " is " << object[name].dump();
    }
    for (const auto& [name, value] : object.items())
        EXPECT_TRUE(fields.contains(name)) << where << " has " << name << ", which the reference does not define";
}

const Fields kEnvelope = {{"MessageName", Type::String}, {"Version", Type::String},
                          {"TimeStamp", Type::String},   {"UniqueID", Type::String},
                          {"Source", Type::String},      {"Target", Type::StringOrNull},
                          {"RequestID", Type::StringOrNull}, {"MessageBody", Type::Object}};

json Envelope(const std::string& text, const std::string& name)
{
    const json message = json::parse(text);
    ExpectFields(message, kEnvelope, name);
    EXPECT_EQ(message["MessageName"], name);
    EXPECT_EQ(message["Version"], "1.2");
    EXPECT_EQ(message["Source"], kSender.handle);
    EXPECT_TRUE(std::regex_match(message["UniqueID"].get<std::string>(), kUuidText));
    EXPECT_EQ(message["MessageBody"]["$type"], name + ", CFX");
    return message;
}

json Body(const OutboxMessage& message)
{
    const json envelope = Envelope(message.json, message.name);
    EXPECT_EQ(envelope["UniqueID"], message.uniqueId);
    return envelope["MessageBody"];
}

TEST(CfxEndpointMessages, WorkStartedAsTheReferenceNamesIt)
{
    const std::string transaction = WorkTransactionId(kSender, kTime);
    EXPECT_TRUE(std::regex_match(transaction, kUuidText));
    const json body = Body(WorkStartedMessage(transaction, "RZ26A0145999", kSender, kTime));
    ExpectFields(body, {{"$type", Type::String}, {"TransactionID", Type::String}, {"Lane", Type::Null},
                        {"UnitCount", Type::Integer}, {"Units", Type::Array}},
                 "WorkStarted");
    EXPECT_EQ(body["TransactionID"], transaction);
    EXPECT_EQ(body["UnitCount"], 1);
    ASSERT_EQ(body["Units"].size(), 1u);
    ExpectFields(body["Units"][0],
                 {{"UnitIdentifier", Type::String}, {"PositionNumber", Type::Integer},
                  {"PositionName", Type::StringOrNull}, {"X", Type::Number}, {"Y", Type::Number},
                  {"Rotation", Type::Number}, {"FlipX", Type::Boolean}, {"FlipY", Type::Boolean}},
                 "UnitPosition");
    EXPECT_EQ(body["Units"][0]["UnitIdentifier"], "RZ26A0145999");
    EXPECT_EQ(body["Units"][0]["PositionNumber"], 2);
}

TEST(CfxEndpointMessages, WorkCompletedCarriesTheTransactionAndTheReferencesResult)
{
    const struct {
        WorkResult result;
        const char* name;
    } cases[] = {{WorkResult::Completed, "Completed"}, {WorkResult::Failed, "Failed"}, {WorkResult::Aborted, "Aborted"}};
    for (const auto& c : cases) {
        const json body = Body(WorkCompletedMessage("t-1", c.result, kSender, kTime));
        ExpectFields(body, {{"$type", Type::String}, {"TransactionID", Type::String}, {"Result", Type::String}},
                     "WorkCompleted");
        EXPECT_EQ(body["TransactionID"], "t-1");
        EXPECT_EQ(body["Result"], c.name);
    }
    EXPECT_NE(WorkStartedMessage("t-1", "SN", kSender, kTime).uniqueId,
              WorkCompletedMessage("t-1", WorkResult::Completed, kSender, kTime).uniqueId);
    EXPECT_EQ(WorkCompletedMessage("t-1", WorkResult::Aborted, kSender, kTime).uniqueId,
              WorkCompletedMessage("t-1", WorkResult::Aborted, kSender, kTime + 1s).uniqueId)
        << "one run's message, rebuilt, is a repeat the MES drops";
}

TEST(CfxEndpointMessages, StationStateChangedUsesTheResourceStateCodes)
{
    const struct {
        StationState state;
        const char* code;
    } cases[] = {{StationState::Idle, "2200"},
                 {StationState::Processing, "1100"},
                 {StationState::Blocked, "2500"},
                 {StationState::Down, "5000"},
                 {StationState::Off, "6500"}};
    for (const auto& c : cases) {
        const json body =
            Body(StationStateChangedMessage({StationState::Idle, 85s, c.state}, kSender, kTime, 1));
        ExpectFields(body, {{"$type", Type::String}, {"OldState", Type::String}, {"OldStateDuration", Type::String},
                            {"NewState", Type::String}, {"RelatedFault", Type::Null}},
                     "StationStateChanged");
        EXPECT_EQ(body["OldState"], "2200");
        EXPECT_EQ(body["OldStateDuration"], "00:01:25");
        EXPECT_EQ(body["NewState"], c.code);
    }
    EXPECT_NE(StationStateChangedMessage({StationState::Idle, 1s, StationState::Processing}, kSender, kTime, 1).uniqueId,
              StationStateChangedMessage({StationState::Processing, 0s, StationState::Idle}, kSender, kTime, 2).uniqueId)
        << "two changes in one millisecond";
}

TEST(CfxEndpointMessages, EndpointConnectedHeartbeatAndAreYouThereResponse)
{
    const CfxRequestPoint point {"amqp://mes:5672", StationRequestAddress(kSender.handle)};
    EXPECT_EQ(point.targetAddress, "/queue/Factory.Line1.ST-03.requests");
    const json connected = Body(EndpointConnectedMessage(kSender, point, kTime));
    ExpectFields(connected, {{"$type", Type::String}, {"CFXHandle", Type::String}, {"RequestNetworkUri", Type::String},
                             {"RequestTargetAddress", Type::String}},
                 "EndpointConnected");
    EXPECT_EQ(connected["RequestTargetAddress"], point.targetAddress);
    EXPECT_TRUE(Body(EndpointConnectedMessage(kSender, {"", point.targetAddress}, kTime))["RequestNetworkUri"].is_null())
        << "settings that cannot be used give no URL";

    const json heartbeat = Envelope(HeartbeatMessage(kSender, 60s, kTime, 0).json, kHeartbeatMessageName)["MessageBody"];
    ExpectFields(heartbeat, {{"$type", Type::String}, {"CFXHandle", Type::String}, {"HeartbeatFrequency", Type::String},
                             {"ActiveFaults", Type::Null}, {"ActiveRecipes", Type::Null}},
                 "Heartbeat");
    EXPECT_EQ(heartbeat["HeartbeatFrequency"], "00:01:00");
    EXPECT_NE(HeartbeatMessage(kSender, 60s, kTime, 0).uniqueId, HeartbeatMessage(kSender, 60s, kTime, 1).uniqueId);

    const json response = Envelope(AreYouThereResponseMessage(kSender, point, "req-1", kTime).json,
                                   kAreYouThereResponseName);
    EXPECT_EQ(response["RequestID"], "req-1") << "the request it answers";
    ExpectFields(response["MessageBody"],
                 {{"$type", Type::String}, {"Result", Type::Object}, {"CFXHandle", Type::String},
                  {"RequestNetworkUri", Type::String}, {"RequestTargetAddress", Type::String}},
                 "AreYouThereResponse");
    ExpectFields(response["MessageBody"]["Result"],
                 {{"Result", Type::String}, {"ResultCode", Type::Integer}, {"Message", Type::StringOrNull}},
                 "RequestResult");
    EXPECT_EQ(response["MessageBody"]["Result"]["Result"], "Success");
}

TEST(CfxEndpointMessages, RequestsAreReadByNameIdAndHandle)
{
    const struct {
        const char* text;
        bool read;
        const char* name;
        const char* handle;
    } cases[] = {
        {R"({"MessageName":"CFX.AreYouThereRequest","UniqueID":"u1","MessageBody":{"CFXHandle":"H"}})", true,
         "CFX.AreYouThereRequest", "H"},
        {R"({"MessageName":"CFX.AreYouThereRequest","UniqueID":"u1","MessageBody":{}})", true,
         "CFX.AreYouThereRequest", ""},
        {R"({"MessageName":7})", false, "", ""},
        {"not json", false, "", ""},
        {"[]", false, "", ""},
    };
    for (const auto& c : cases) {
        const auto request = ParseCfxRequest(c.text);
        ASSERT_EQ(request.has_value(), c.read) << c.text;
        if (!request)
            continue;
        EXPECT_EQ(request->name, c.name);
        EXPECT_EQ(request->handle, c.handle);
        EXPECT_EQ(request->uniqueId, "u1");
    }
}

TEST(CfxTimeSpan, WrittenAsTheReferencesTimeSpan)
{
    const struct {
        std::chrono::milliseconds duration;
        const char* text;
    } cases[] = {{0ms, "00:00:00"},          {85s, "00:01:25"},
                 {250ms, "00:00:00.2500000"}, {26h + 1ms, "1.02:00:00.0010000"},
                 {-5s, "00:00:00"}};
    for (const auto& c : cases) {
        EXPECT_EQ(CfxTimeSpan(c.duration), c.text) << c.duration.count();
        EXPECT_TRUE(std::regex_match(CfxTimeSpan(c.duration), kTimeSpanText));
    }
}

// A run in virtual time: each change tells how long the old state lasted,
// and the durations add up to the time from the start to the last change.
TEST(StationStateTracker, DurationsOfTheChangesAddUpToTheTimePassed)
{
    using Clock = StationStateTracker::Clock;
    const Clock::time_point start {};
    StationStateTracker tracker(StationState::Idle, start);
    const struct {
        std::chrono::microseconds at;  // since the start
        StationState next;
        bool changes;
        std::chrono::milliseconds lasted;
    } steps[] = {
        {12'000'400us, StationState::Processing, true, 12'000ms},
        {13'000'000us, StationState::Processing, false, 0ms},
        {40'500'900us, StationState::Idle, true, 28'500ms},
        {41'000'000us, StationState::Blocked, true, 500ms},
        {50'000'000us, StationState::Processing, true, 9'000ms},
        {51'000'000us, StationState::Down, true, 1'000ms},
        {90'000'000us, StationState::Idle, true, 39'000ms},
        {99'999'999us, StationState::Off, true, 9'999ms},
    };
    std::chrono::milliseconds total {0};
    for (const auto& step : steps) {
        const StationState before = tracker.Current();
        const auto change = tracker.Enter(step.next, start + step.at);
        ASSERT_EQ(change.has_value(), step.changes) << step.at.count();
        EXPECT_EQ(tracker.Current(), step.next);
        if (!change)
            continue;
        EXPECT_EQ(change->oldState, before);
        EXPECT_EQ(change->newState, step.next);
        EXPECT_EQ(change->oldStateDuration, step.lasted) << step.at.count();
        total += change->oldStateDuration;
    }
    EXPECT_EQ(total, 99'999ms) << "whole milliseconds, the rest carried on";
}

}  // namespace
