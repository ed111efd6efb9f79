// The MES's go-ahead against a local throwaway broker (started and stopped
// by the tests' node script) and the tests' fake MES: the validation's round
// trip, and the full one-key test against the unit simulator with the
// validation on and off, alternating.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "bench/BenchSupport.h"
#include "bench/onekey/OneKeyRun.h"
#include "config/StationProfile.h"
#include "mes/UnitValidator.h"
#include "mes/ValidateUnitsMessage.h"
#include "tests/mes/FakeMes.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRoundTrips = 500;
constexpr int kCycles = 3;  // one-key tests with the validation on, and as many off
constexpr int kSimulatorStartMs = 5000;
constexpr auto kOutcomeWait = std::chrono::seconds(10);
constexpr const char* kValidatorAddress = "/queue/bench.validation";
constexpr const char* kStationAddress = "/queue/bench.station";
constexpr const char* kHandle = "Bench.Line1.ST-03";

double Percentile(std::vector<double> samples, double percent)
{
    std::sort(samples.begin(), samples.end());
    const auto at = static_cast<size_t>(percent / 100.0 * static_cast<double>(samples.size() - 1));
    return samples[at];
}

// From the request sent to the answer read, as the station's timer would
// read it at once.
void RoundTrip(const std::string& url)
{
    UnitValidatorSettings settings;
    settings.endpoint = MesEndpoint {url, kValidatorAddress, "", "", false};
    settings.replyAddress = "/queue/bench.validation-answers";
    UnitValidator validator(settings);
    const CfxSender sender {kHandle, 1};
    std::vector<double> samples;
    int failed = 0;
    for (int i = 0; i < kRoundTrips; ++i) {
        const std::string sn = "RZ26A" + std::to_string(1000000 + i);
        const auto began = Clock::now();
        validator.Request(ValidateUnitsRequestMessage(sn, sender, NewValidationRequestId(sender, sn),
                                                      JournalClock::now()));
        const auto outcome = validator.AwaitOutcome(kOutcomeWait);
        samples.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
        if (!outcome || outcome->kind != UnitValidationOutcome::Kind::Passed)
            ++failed;
    }
    std::printf("validation round trip (%d requests, a connection each): p50 %.2f ms, p99 %.2f ms, worst %.2f ms, "
                "%d not passed (target p99 < 50 ms)\n",
                kRoundTrips, Percentile(samples, 50), Percentile(samples, 99),
                *std::max_element(samples.begin(), samples.end()), failed);
}

// The example profile (every item on) with the hand-off, and the validation on or off.
void WriteProfile(const std::string& url, bool validate)
{
    std::ofstream(kStationProfileFileName) << ExampleProfile() << "\n[MES]\nURL=" << url
                                           << "\nADDRESS=" << kStationAddress << "\nHANDLE=" << kHandle
                                           << "\nVALIDATE=" << (validate ? "1" : "0")
                                           << "\nVALIDATOR=" << kValidatorAddress << "\n";
}

bool OneKeyCycles(const std::string& url)
{
    ChildProcess simulator(SimulatorCommand());
    const std::string port = simulator.ReadLine(kSimulatorStartMs);
    if (port.empty()) {
        std::fprintf(stderr, "mes-validation: the simulator did not start\n");
        return false;
    }
    TempWorkDir dir;
    std::vector<double> on;
    std::vector<double> off;
    for (int i = 0; i < 2 * kCycles; ++i) {
        const bool validate = i % 2 == 0;
        WriteProfile(url, validate);
        const OneKeyFigures run = RunOneKeyTest(port);
        if (run.verdict != kOneKeyPassed) {
            std::fprintf(stderr, "mes-validation: the one-key test ended \"%s\"\n", run.verdict.c_str());
            for (const std::string& box : run.boxes)
                std::fprintf(stderr, "  box: %s\n", box.c_str());
            return false;
        }
        (validate ? on : off).push_back(run.wallMs);
    }
    const double onMs = Percentile(on, 50);
    const double offMs = Percentile(off, 50);
    std::printf("one-key cycle, every item on, median of %d: validation on %.1f ms, off %.1f ms, %+.2f %% "
                "(target within 1 %%)\n",
                kCycles, onMs, offMs, 100.0 * (onMs - offMs) / offMs);
    return true;
}

}  // namespace

int main()
{
    BenchFolder folder;
    const std::string state = (folder.Path() / "rabbit.state").string();
    if (std::system((std::string(RABBIT_NODE_SCRIPT) + " start " + state).c_str()) != 0)
        return 1;
    std::string url;
    std::getline(std::ifstream(state), url);
    bool ok = true;
    {
        FakeMes mes(url, kValidatorAddress, kStationAddress);
        RoundTrip(url);
        ok = OneKeyCycles(url);
    }
    std::system((std::string(RABBIT_NODE_SCRIPT) + " stop " + state).c_str());
    return ok ? 0 : 1;
}
