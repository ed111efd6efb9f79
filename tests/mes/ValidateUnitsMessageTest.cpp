// The validation request as the station sends it and the MES's answer read
// back, checked against the reference's names and types.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include <nlohmann/json.hpp>

#include "mes/ValidateUnitsMessage.h"

namespace {

using json = nlohmann::json;

const CfxSender kSender {"Factory.Line1.ST-03", 2};
const std::regex kUuidText("[0-9a-f]{8}-[0-9a-f]{4}-5[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");

json Request(const std::string& sn = "RZ26A0145999")
{
    return json::parse(ValidateUnitsRequestMessage(sn, kSender, NewValidationRequestId(kSender, sn),
                                                   JournalClock::from_time_t(1'800'000'000))
                           .json);
}

TEST(ValidateUnitsRequest, EnvelopeAsUnitsTestedHasIt)
{
    const json request = Request();
    const std::string id = request["UniqueID"];
    EXPECT_TRUE(std::regex_match(id, kUuidText)) << id;
    EXPECT_EQ(request["MessageName"], "CFX.InformationSystem.UnitValidation.ValidateUnitsRequest");
    EXPECT_EQ(request["Version"], "1.2");
    EXPECT_TRUE(request["TimeStamp"].is_string());
    EXPECT_EQ(request["Source"], "Factory.Line1.ST-03");
    EXPECT_TRUE(request["Target"].is_null());
    EXPECT_EQ(request["RequestID"], id) << "the request's id answers come back with";
}

TEST(ValidateUnitsRequest, BodyAsTheReferenceNamesIt)
{
    const json body = Request()["MessageBody"];
    EXPECT_EQ(body["$type"], "CFX.InformationSystem.UnitValidation.ValidateUnitsRequest, CFX");
    EXPECT_EQ(body["Validations"], json::array({"UnitRouteValidation", "UnitStatusValidation"}));
    EXPECT_EQ(body["PrimaryIdentifier"], "RZ26A0145999");
    ASSERT_EQ(body["Units"].size(), 1u);
    const json& unit = body["Units"][0];
    const struct {
        const char* key;
        json::value_t type;
    } fields[] = {{"UnitIdentifier", json::value_t::string}, {"PositionNumber", json::value_t::number_unsigned},
                  {"PositionName", json::value_t::null},     {"X", json::value_t::number_float},
                  {"Y", json::value_t::number_float},        {"Rotation", json::value_t::number_float},
                  {"FlipX", json::value_t::boolean},         {"FlipY", json::value_t::boolean}};
    EXPECT_EQ(unit.size(), std::size(fields));
    for (const auto& field : fields)
        EXPECT_EQ(unit.at(field.key).type(), field.type) << field.key;
    EXPECT_EQ(unit["UnitIdentifier"], "RZ26A0145999");
    EXPECT_EQ(unit["PositionNumber"], 2) << "the slot";
}

TEST(ValidateUnitsRequest, EveryRequestHasAnIdOfItsOwn)
{
    std::set<std::string> ids;
    for (int i = 0; i < 100; ++i)
        ids.insert(NewValidationRequestId(kSender, "SN1"));
    EXPECT_EQ(ids.size(), 100u);
}

json Response(const json& result, const json& primary, const json& results, const char* listName = "ValidationResults")
{
    json body{{"$type", "CFX.InformationSystem.UnitValidation.ValidateUnitsResponse, CFX"}};
    if (!result.is_null())
        body["Result"] = result;
    if (!primary.is_null())
        body["PrimaryResult"] = primary;
    if (!results.is_null())
        body[listName] = results;
    return {{"MessageName", "CFX.InformationSystem.UnitValidation.ValidateUnitsResponse"}, {"MessageBody", body}};
}

json Outcome(const char* result, int code, const char* message)
{
    return {{"UniqueIdentifier", "SN1"}, {"PositionNumber", 1}, {"Result", result}, {"FailureCode", code},
            {"Message", message}};
}

TEST(ValidateUnitsResponse, ReadAsPassedOrRefused)
{
    const json success{{"Result", "Success"}, {"ResultCode", 0}, {"Message", nullptr}};
    const json passed = Outcome("Passed", 0, "OK");
    const json failed = Outcome("Failed", 42, "Unit skipped FCT");
    const struct {
        const char* name;
        json response;
        bool passed;
        int code;
        std::string message;
    } cases[] = {
        {"all passed", Response(success, passed, json::array({passed})), true, 0, ""},
        {"primary failed", Response(success, failed, json::array({passed})), false, 42, "Unit skipped FCT"},
        {"a unit failed", Response(success, passed, json::array({passed, failed})), false, 42, "Unit skipped FCT"},
        {"only the list", Response(success, nullptr, json::array({failed})), false, 42, "Unit skipped FCT"},
        {"older list name", Response(success, nullptr, json::array({failed}), "Results"), false, 42, "Unit skipped FCT"},
        {"no request result", Response(nullptr, passed, nullptr), true, 0, ""},
        {"request failed", Response({{"Result", "Failed"}, {"ResultCode", 7}, {"Message", "Route unknown"}}, passed,
                                    json::array({passed})),
         false, 7, "Route unknown"},
        {"request failed silently", Response({{"Result", "Failed"}, {"ResultCode", 8}}, passed, nullptr), false, 8,
         "the MES could not carry out the validation"},
        {"result of another type", Response(success, Outcome("Passed", 0, "OK").patch(json::parse(R"([{"op":"replace","path":"/Result","value":1}])")), nullptr),
         false, 0, "OK"},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto answer = ParseValidateUnitsResponse(c.response.dump(), &error);
        ASSERT_TRUE(answer) << c.name << ": " << error;
        EXPECT_EQ(answer->passed, c.passed) << c.name;
        EXPECT_EQ(answer->failureCode, c.code) << c.name;
        EXPECT_EQ(answer->message, c.message) << c.name;
    }
}

TEST(ValidateUnitsResponse, WhatIsNotAnAnswerIsToldWhy)
{
    const json success{{"Result", "Success"}, {"ResultCode", 0}};
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"not json", "the answer is not JSON"},
        {"[1]", "the answer is not JSON"},
        {json{{"MessageName", "CFX.Heartbeat"}, {"MessageBody", json::object()}}.dump(),
         "the answer is not a ValidateUnitsResponse but CFX.Heartbeat"},
        {json{{"MessageName", "CFX.InformationSystem.UnitValidation.ValidateUnitsResponse"}}.dump(),
         "the answer is not a ValidateUnitsResponse"},
        {Response(success, nullptr, json::array()).dump(), "the ValidateUnitsResponse holds no result"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseValidateUnitsResponse(c.text, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

}  // namespace
