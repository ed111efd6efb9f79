// The validation requester against the throwaway broker and the fake MES:
// the MES's answer, its silence, no broker, and late answers.
#include <gtest/gtest.h>

#include "mes/UnitValidator.h"
#include "mes/ValidateUnitsMessage.h"
#include "tests/mes/FakeMes.h"
#include "tests/mes/TestBroker.h"

namespace {

using namespace std::chrono_literals;
using Kind = UnitValidationOutcome::Kind;

constexpr auto kTimeout = 1000ms;        // the requester's, shortened
constexpr auto kOutcomeWait = 20s;       // bounds every wait of the test
const CfxSender kSender {"Factory.Line1.ST-03", 1};

class UnitValidatorTest : public testing::Test {
protected:
    UnitValidatorSettings Settings(const std::string& brokerUrl)
    {
        UnitValidatorSettings settings;
        settings.endpoint = MesEndpoint {brokerUrl, requests.Address(), "", "", false};
        settings.replyAddress = replies.Address();
        settings.timeout = kTimeout;
        return settings;
    }

    CfxMessage RequestFor(const std::string& sn)
    {
        return ValidateUnitsRequestMessage(sn, kSender, NewValidationRequestId(kSender, sn), JournalClock::now());
    }

    UnitValidationOutcome Validate(UnitValidator& validator, const std::string& sn)
    {
        const CfxMessage request = RequestFor(sn);
        validator.Request(request);
        auto outcome = validator.AwaitOutcome(kOutcomeWait);
        EXPECT_TRUE(outcome) << sn;
        if (!outcome)
            return {};
        EXPECT_EQ(outcome->requestId, request.uniqueId);
        return *outcome;
    }

    const std::string url = TestBroker::Url();
    TestBroker requests;
    TestBroker replies;
    TestBroker station;
    FakeMes mes {url, requests.Address(), station.Address()};
};

TEST_F(UnitValidatorTest, TheMesAnswerOrItsSilenceEndsTheRequest)
{
    mes.Answer("SN-REFUSED", FakeMesAnswer::Refuse("Unit skipped FCT", 17));
    mes.Answer("SN-SILENT", FakeMesAnswer::Silent());
    const struct {
        std::string sn;
        Kind kind;
        int code;
        std::string message;
    } cases[] = {
        {"SN-PASSED", Kind::Passed, 0, ""},
        {"SN-REFUSED", Kind::Refused, 17, "Unit skipped FCT"},
        {"SN-SILENT", Kind::NoAnswer, 0, "the MES did not answer within 1 s"},
    };
    UnitValidator validator(Settings(url));
    for (const auto& c : cases) {
        const auto outcome = Validate(validator, c.sn);
        EXPECT_EQ(outcome.kind, c.kind) << c.sn;
        EXPECT_EQ(outcome.failureCode, c.code) << c.sn;
        EXPECT_EQ(outcome.message, c.message) << c.sn;
        EXPECT_FALSE(validator.Waiting()) << c.sn;
    }
    ASSERT_EQ(mes.Requests().size(), 3u);
    EXPECT_EQ(mes.Requests()[0].replyTo, replies.Address());
    EXPECT_EQ(mes.Requests()[0].correlationId, mes.Requests()[0].id);
}

TEST_F(UnitValidatorTest, WithoutABrokerThereIsNoAnswerWithinTheTimeOutAndTheReason)
{
    UnitValidator unreachable(Settings("amqp://127.0.0.1:1"));
    const auto outcome = Validate(unreachable, "SN1");
    EXPECT_EQ(outcome.kind, Kind::NoAnswer);
    EXPECT_NE(outcome.message.find("MES broker amqp://127.0.0.1:1"), std::string::npos) << outcome.message;
    EXPECT_LE(outcome.took, kTimeout + 500ms);

    UnitValidatorSettings unusable;
    unusable.unusable = "[MES] VALIDATOR is empty";
    UnitValidator validator(unusable);
    EXPECT_EQ(Validate(validator, "SN1").message, "[MES] VALIDATOR is empty");
}

TEST_F(UnitValidatorTest, ALateAnswerToAnEarlierRequestIsIgnored)
{
    mes.Answer("SN-A", FakeMesAnswer::Silent());
    UnitValidator validator(Settings(url));
    EXPECT_EQ(Validate(validator, "SN-A").kind, Kind::NoAnswer);
    // A's refusal comes after A gave up and before B is asked.
    ASSERT_TRUE(mes.AnswerLate("SN-A", FakeMesAnswer::Refuse("late", 9)));
    const auto outcome = Validate(validator, "SN-B");
    EXPECT_EQ(outcome.kind, Kind::Passed) << outcome.message;
    EXPECT_EQ(outcome.ignoredAnswers, 1);
}

TEST_F(UnitValidatorTest, AnAbandonedRequestGivesNoOutcome)
{
    mes.Answer("SN-SILENT", FakeMesAnswer::Silent());
    UnitValidator validator(Settings(url));
    validator.Request(RequestFor("SN-SILENT"));
    EXPECT_TRUE(validator.Waiting());
    validator.Abandon();
    EXPECT_FALSE(validator.Waiting());
    EXPECT_FALSE(validator.AwaitOutcome(kTimeout + 200ms));
}

}  // namespace
