// The unit unplugged at random moments: every operation still ends within
// its time-outs, releases the busy flag, and once the unit is back the next
// operation works. The moments are drawn from a printed seed
// (RURIZUDA_FAULT_SEED repeats a run).
#include <cstdlib>
#include <iostream>
#include <random>

#include "tests/station/StationFixture.h"

namespace {

// Every button that talks to the unit.
constexpr int kUnitButtons[] = {
    ctl::kReadVer,     ctl::kReadMac,       ctl::kReadImei,     ctl::kReadSn,         ctl::kReadSsid,
    ctl::kReadSim,     ctl::kReadSd,        ctl::kReadPcbaSn,   ctl::kWifiStatus,     ctl::kCharging,
    ctl::kRssiCheck,   ctl::kRfCheck,       ctl::kPowerOff,     ctl::kReset,          ctl::kRestore,
    ctl::kOledLightOn, ctl::kOledLightOff,  ctl::kLedLightOn,   ctl::kUserMode,       ctl::kFactoryMode,
    ctl::kWindowsUsbMode, ctl::kLinuxUsbMode, ctl::kReadUsbMode, ctl::kKeyTest,       ctl::kExitTest,
    ctl::kReadPn,      ctl::kLock,          ctl::kUnlock,       ctl::kOneKeyTest,
};

// No operation of one button sends more commands than this, and a command
// on an unplugged port gives up within the time its poll limit lasts.
constexpr int kMostCommands = 25;
constexpr int64_t kCommandLimitMs = 91 + 773 + 101 * (200 + 91);

unsigned Seed()
{
    const char* text = std::getenv("RURIZUDA_FAULT_SEED");
    return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : std::random_device {}();
}

class Unplug : public StationFixture {
protected:
    void SetUp() override
    {
        Start();
        seed = Seed();
        random.seed(seed);
        std::cout << "unplug moments from seed " << seed << " (RURIZUDA_FAULT_SEED)\n";
    }

    // A moment within the serial calls `work` makes on a unit that stays: 0
    // when it makes none.
    template <class Work>
    int Moment(Work work)
    {
        const int before = link.serial.calls;
        work();
        const int calls = link.serial.calls - before;
        return calls == 0 ? 0 : std::uniform_int_distribution<int>(1, calls)(random);
    }

    // Runs `work` with the unit pulled after `moment` serial calls, then puts
    // it back and checks that the station took no harm.
    template <class Work>
    void Unplugged(const std::string& what, int moment, Work work)
    {
        SCOPED_TRACE(what + " unplugged after " + std::to_string(moment) + " calls, seed " + std::to_string(seed));
        link.serial.UnplugAfter(moment);
        const int64_t start = link.Elapsed();
        work();
        EXPECT_LE(link.Elapsed() - start, kMostCommands * kCommandLimitMs);
        EXPECT_EQ(station->OperationBusy, 0);
        if (link.serial.Unplugged())
            ++moments;  // the unit really went away while the work ran
        link.serial.Replug();

        // The next operation connects again and reads the unit.
        station->OnReadImei();
        EXPECT_EQ(window.Text(ctl::kResultBox), "Read IMEI successfully!");
        EXPECT_EQ(window.Text(ctl::kImeiBox), unit.State().imei);
    }

    unsigned seed = 0;
    std::mt19937 random;
    int moments = 0;
};

TEST_F(Unplug, DuringEveryOperation)
{
    for (int round = 0; round < 8; ++round) {
        for (int control : kUnitButtons) {
            const auto press = [&] {
                station->OnCommand(control);
                // Judgements a one-key run may wait for, and its wait timer.
                station->OnCommand(ctl::kLedPass);
                station->OnTimer(ctl::kOneKeyWaitTimer);
            };
            if (const int moment = Moment(press))
                Unplugged("button " + std::to_string(control), moment, press);
        }
    }
    std::cout << moments << " moments during operations\n";
    EXPECT_GE(moments, 200);
}

TEST_F(Unplug, WhileTheKeyPollListens)
{
    unit.State().keyReportDelayMs = 100000000;
    const auto listen = [&] {
        for (int tick = 0; tick < 3; ++tick)
            station->OnTimer(ctl::kKeyPollTimer);
        station->OnExitKeyTest();
    };
    for (int round = 0; round < 40; ++round) {
        station->OnKeyTest();
        const int moment = Moment(listen);
        station->OnKeyTest();
        Unplugged("key poll", moment, listen);
    }
    std::cout << moments << " moments during the key poll\n";
}

}  // namespace
