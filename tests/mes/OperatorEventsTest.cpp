// The operator's sign-in and sign-out as the MES receives them, in order
// with the units the operator stored, on the throwaway broker.
#include <set>
#include <thread>

#include "tests/mes/FakeMes.h"
#include "tests/mes/TestBroker.h"
#include "tests/station/StationFixture.h"

namespace {

using json = nlohmann::json;
using namespace std::chrono_literals;

constexpr auto kArrival = 20s;  // a broker just started may take a while
constexpr auto kPoll = 50ms;
constexpr const char* kHandle = "Factory.Line1.ST-03";
constexpr const char* kActivated = "CFX.Production.OperatorActivated";
constexpr const char* kDeactivated = "CFX.Production.OperatorDeactivated";
constexpr const char* kUnitsTested = "CFX.Production.TestAndInspection.UnitsTested";

class OperatorEvents : public StationFixture {
protected:
    void StartStation()
    {
        WriteProfile("[Station]\nUSEMDB=YES\n[MES]\nURL=" + url + "\nADDRESS=" + stationAddress.Address() +
                     "\nHANDLE=" + kHandle + "\nHEARTBEAT=0\n[Operator]\nSIGNIN=1\n");
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = dir.Path();
        Start(std::move(options));
    }

    void ScanBadge(const std::string& badge)
    {
        window.texts[ctl::kOperatorBadge] = badge;
        station->OnEnterKey(ctl::kOperatorBadge);
    }

    void StoreUnit(const std::string& sn)
    {
        station->unit.sn = sn;
        station->OnCommand(ctl::kTestFinish);
    }

    // What the MES received about operators and units: "<name> <who>", who
    // being the Operator's or the Tester's identifier and actor type.
    std::vector<std::string> OperatorStory(size_t expected)
    {
        std::vector<std::string> story;
        for (auto waited = 0ms; waited < kArrival; waited += kPoll) {
            story.clear();
            // A message may arrive twice (sent again after a stop cut its
            // acceptance short); the MES drops the repeat by its id.
            std::set<std::string> seen;
            for (const FakeMesMessage& message : mes.Published()) {
                if (!seen.insert(message.envelope["UniqueID"].get<std::string>()).second)
                    continue;
                const std::string name = message.Name();
                const json& body = message.envelope["MessageBody"];
                if (name == kActivated || name == kDeactivated)
                    story.push_back(name + " " + body["Operator"]["OperatorIdentifier"].get<std::string>() + " " +
                                    body["Operator"]["ActorType"].get<std::string>());
                else if (name == kUnitsTested)
                    story.push_back(name + " " + body["Tester"]["OperatorIdentifier"].get<std::string>() + " " +
                                    body["Tester"]["ActorType"].get<std::string>());
            }
            if (story.size() >= expected)
                break;
            std::this_thread::sleep_for(kPoll);
        }
        return story;
    }

    const std::string url = TestBroker::Url();
    TestBroker requestAddress;
    TestBroker stationAddress;
    FakeMes mes {url, requestAddress.Address(), stationAddress.Address()};
};

TEST_F(OperatorEvents, SignInAndSignOutFrameTheOperatorsUnitsWhoseTesterIsTheOperator)
{
    StartStation();
    ScanBadge("B-1");
    StoreUnit("SN1");
    ScanBadge("B-2");  // another badge: B-1 leaves, B-2 takes over
    StoreUnit("SN2");
    station->OnDestroy();  // EXIT: the sign-out is on the disk; the station's next start sends it
    station.reset();
    StartStation();
    const std::vector<std::string> expected = {
        std::string(kActivated) + " B-1 Human",   std::string(kUnitsTested) + " B-1 Human",
        std::string(kDeactivated) + " B-1 Human", std::string(kActivated) + " B-2 Human",
        std::string(kUnitsTested) + " B-2 Human", std::string(kDeactivated) + " B-2 Human",
    };
    EXPECT_EQ(OperatorStory(expected.size()), expected);
}

}  // namespace
