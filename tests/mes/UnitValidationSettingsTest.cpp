// The [MES] validation keys turned into the requester's settings.
#include <gtest/gtest.h>

#include "mes/UnitValidationSettings.h"

namespace {

using namespace std::chrono_literals;

const MesSettings kMes {"amqp://mes:5672", "/exchange/cfx/station", "Factory.Line1.ST-03", "", false};

TEST(UnitValidationSettings, OffUnlessValidateIsOne)
{
    for (const char* text : {"", "0", "YES", "01"})
        EXPECT_FALSE(ResolveUnitValidation(kMes, {text, "/queue/v", "", ""}, 1).on) << text;
    EXPECT_TRUE(ResolveUnitValidation(kMes, {"1", "/queue/v", "", ""}, 1).on);
}

TEST(UnitValidationSettings, TheTimeOutIsWholeSecondsFromOneToSixtyElseFive)
{
    const struct {
        const char* text;
        std::chrono::milliseconds timeout;
    } cases[] = {{"", 5s}, {"1", 1s}, {"12", 12s}, {"60", 60s}, {"61", 5s}, {"0", 5s},
                 {"-3", 5s}, {"2.5", 5s}, {" 3", 5s}, {"999999999999", 5s}};
    for (const auto& c : cases)
        EXPECT_EQ(ResolveUnitValidation(kMes, {"1", "/queue/v", c.text, ""}, 1).requester.timeout, c.timeout)
            << c.text;
}

TEST(UnitValidationSettings, OnlyAllowLetsAUnitWithoutAnAnswerBeTested)
{
    const struct {
        const char* text;
        OnNoAnswer policy;
    } cases[] = {{"", OnNoAnswer::Block}, {"block", OnNoAnswer::Block}, {"allow", OnNoAnswer::Allow},
                 {"ALLOW", OnNoAnswer::Block}, {"yes", OnNoAnswer::Block}};
    for (const auto& c : cases)
        EXPECT_EQ(ResolveUnitValidation(kMes, {"1", "/queue/v", "", c.text}, 1).onNoAnswer, c.policy) << c.text;
}

TEST(UnitValidationSettings, TheRequestsGoToTheValidatorAndTheAnswersToTheStationsOwnQueue)
{
    const auto settings = ResolveUnitValidation(kMes, {"1", "/queue/cfx.validation", "", ""}, 3);
    ASSERT_TRUE(settings.requester.endpoint);
    EXPECT_EQ(settings.requester.endpoint->url, "amqp://mes:5672");
    EXPECT_EQ(settings.requester.endpoint->address, "/queue/cfx.validation");
    EXPECT_EQ(settings.requester.replyAddress, "/queue/Factory.Line1.ST-03.validation-answers.3");
}

TEST(UnitValidationSettings, SettingsThatCannotBeUsedGiveTheReasonAndStayOn)
{
    MesSettings badUrl = kMes;
    badUrl.url = "http://mes";
    const struct {
        const char* name;
        MesSettings mes;
        const char* validator;
        std::string reason;
    } cases[] = {
        {"no validator", kMes, "", "[MES] VALIDATOR is empty: name the MES's request queue, e.g. /queue/cfx.validation"},
        {"bad url", badUrl, "/queue/v", "[MES] URL must start with amqp:// or amqps://"},
    };
    for (const auto& c : cases) {
        const auto settings = ResolveUnitValidation(c.mes, {"1", c.validator, "", ""}, 1);
        EXPECT_TRUE(settings.on) << c.name;
        EXPECT_FALSE(settings.requester.endpoint) << c.name;
        EXPECT_EQ(settings.requester.unusable, c.reason) << c.name;
    }
}

}  // namespace
