// The fake MES itself, on the throwaway broker: its answers from the table,
// what it records and its own questions.
#include <gtest/gtest.h>

#include "tests/mes/FakeMes.h"
#include "tests/mes/TestBroker.h"

namespace {

using json = nlohmann::json;
using namespace std::chrono_literals;

constexpr auto kArrival = 20s;
constexpr auto kSilence = 500ms;

json ValidateRequest(const std::string& sn)
{
    return {{"MessageName", "CFX.InformationSystem.UnitValidation.ValidateUnitsRequest"},
            {"UniqueID", "req-" + sn},
            {"Source", "Test.Station"},
            {"RequestID", "req-" + sn},
            {"MessageBody", {{"PrimaryIdentifier", sn}, {"Units", {{{"UnitIdentifier", sn}, {"PositionNumber", 2}}}}}}};
}

class FakeMesTest : public testing::Test {
protected:
    const std::string url = TestBroker::Url();
    TestBroker requests;
    TestBroker station;
    FakeMes mes {url, requests.Address(), station.Address()};
};

TEST_F(FakeMesTest, AnswersFromItsTable)
{
    mes.Answer("SN-REFUSED", FakeMesAnswer::Refuse("Unit skipped FCT", 17));
    mes.Answer("SN-SILENT", FakeMesAnswer::Silent());
    const struct {
        std::string sn;
        bool answered;
        std::string result;
        int code;
        std::string message;
    } cases[] = {
        {"SN-PASSED", true, "Passed", 0, "OK"},
        {"SN-REFUSED", true, "Failed", 17, "Unit skipped FCT"},
        {"SN-SILENT", false, "", 0, ""},
    };
    for (const auto& c : cases) {
        const auto reply = mes.Ask(requests.Address(), ValidateRequest(c.sn).dump(), c.answered ? kArrival : kSilence);
        ASSERT_EQ(reply.has_value(), c.answered) << c.sn;
        if (!reply)
            continue;
        const json body = json::parse(*reply)["MessageBody"];
        EXPECT_EQ(body["Result"]["Result"], "Success") << c.sn;
        EXPECT_EQ(body["PrimaryResult"]["Result"], c.result) << c.sn;
        EXPECT_EQ(body["PrimaryResult"]["FailureCode"], c.code) << c.sn;
        EXPECT_EQ(body["PrimaryResult"]["Message"], c.message) << c.sn;
        EXPECT_EQ(body["ValidationResults"][0]["PositionNumber"], 2) << c.sn;
    }
    ASSERT_EQ(mes.Requests().size(), 3u);
    EXPECT_EQ(mes.Requests()[2].Name(), "CFX.InformationSystem.UnitValidation.ValidateUnitsRequest");
}

TEST_F(FakeMesTest, RecordsWhatArrivesAtTheStationsAddressAndCountsHeartbeats)
{
    const char* names[] = {"CFX.Heartbeat", "CFX.Production.TestAndInspection.UnitsTested", "CFX.Heartbeat"};
    for (const char* name : names)
        mes.Ask(station.Address(), json{{"MessageName", name}}.dump(), 0ms);
    ASSERT_TRUE(mes.AwaitPublished(3, kArrival));
    EXPECT_EQ(mes.Published()[1].Name(), "CFX.Production.TestAndInspection.UnitsTested");
    EXPECT_EQ(mes.Heartbeats(), 2);
}

TEST_F(FakeMesTest, ALeftSilentRequestCanBeAnsweredLater)
{
    mes.Answer("SN-LATE", FakeMesAnswer::Silent());
    EXPECT_FALSE(mes.Ask(requests.Address(), ValidateRequest("SN-LATE").dump(), kSilence));
    EXPECT_FALSE(mes.AnswerLate("SN-NEVER-ASKED", FakeMesAnswer::Pass()));
    // The late reply goes to the fake's own reply address, as the request said.
    const auto asked = mes.Requests().back();
    EXPECT_EQ(asked.replyTo, mes.ReplyAddress());
    EXPECT_TRUE(mes.AnswerLate("SN-LATE", FakeMesAnswer::Refuse("too late", 3)));
    EXPECT_FALSE(mes.AnswerLate("SN-LATE", FakeMesAnswer::Pass())) << "answered once";
}

}  // namespace
