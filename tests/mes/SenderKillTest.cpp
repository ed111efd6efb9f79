// The sender program killed with SIGKILL at random moments while it
// publishes: every message still arrives, repeats carry their UniqueID.
#include <gtest/gtest.h>

#include <csignal>
#include <iostream>
#include <map>
#include <random>
#include <thread>

#include "mes/MesOutbox.h"
#include "tests/mes/BrokerConsumer.h"
#include "tests/mes/TestBroker.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FaultSeed.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kMessages = 1200;  // more than the kills let through
constexpr int kKills = 50;
constexpr int kLongestKillDelayUs = 200'000;  // starting and connecting take a while on a busy machine, then it publishes
constexpr auto kAllArrived = std::chrono::seconds(5);
constexpr int kLastSendSeconds = 60;

TEST(SenderKill, KilledAtRandomMomentsOfAPublishItLosesNothing)
{
    const unsigned seed = FaultSeed();
    std::cout << "fault seed " << seed << " (" << kSeedVariable << " repeats it)" << std::endl;
    std::mt19937 random(seed);
    TempWorkDir dir;
    const auto file = dir.Path() / kMesOutboxFileName;
    {
        MesOutbox outbox(file);
        for (int i = 0; i < kMessages; ++i)
            outbox.Add("u-" + std::to_string(i), std::to_string(i));
    }
    const TestBroker broker;
    const std::vector<std::string> send {RURIZUDA_MES_PROGRAM, "send", "--url", TestBroker::Url(), "--address",
                                         broker.Address(), file.string()};
    std::uniform_int_distribution<int> delay(0, kLongestKillDelayUs);
    for (int i = 0; i < kKills; ++i) {
        ChildProcess sender(send);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        sender.Kill(SIGKILL);
    }
    // The last sender has a deadline: a fault that keeps it sending fails
    // here, with what it said, not at the suite's time-out.
    std::vector<std::string> last {"/usr/bin/timeout", std::to_string(kLastSendSeconds)};
    last.insert(last.end(), send.begin(), send.end());
    const ProgramRun run = RunProgram(last);
    ASSERT_EQ(run.status, 0) << "status 124 is the deadline; it said: " << run.out;
    EXPECT_NE(run.out.find(" sent, 0 dead letters\n"), std::string::npos) << run.out;
    EXPECT_EQ(MesOutbox(file, OutboxAccess::ReadOnly).Count(), 0);

    const auto messages = ReceiveMessages(TestBroker::Url(), broker.Address(), SIZE_MAX, kAllArrived);
    std::map<int, int> copies;
    int lastFirstSeen = -1;
    for (const auto& message : messages) {
        const int number = std::stoi(message.body);
        EXPECT_EQ(message.id, "u-" + message.body) << "a repeat keeps its UniqueID";
        if (copies[number]++ == 0) {
            EXPECT_GT(number, lastFirstSeen) << "first copies arrive in order";
            lastFirstSeen = number;
        }
    }
    EXPECT_EQ(copies.size(), static_cast<size_t>(kMessages)) << "seed " << seed;
    std::cout << messages.size() << " messages for " << kMessages << " units" << std::endl;
    EXPECT_GT(messages.size(), static_cast<size_t>(kMessages)) << "kills fell between a send and its acceptance";
}

}  // namespace
