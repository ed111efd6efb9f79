// Unit simulator: serves a simulated unit's AT port on a pseudo-terminal.

#include "sim/CommandLine.h"
#include "sim/PseudoTerminal.h"
#include "sim/ReplayUnit.h"
#include "sim/StopSignals.h"
#include "sim/UnitServer.h"
#include "sim/UnitSimulator.h"

#include "link/WireTrace.h"

#include <csignal>
#include <exception>
#include <fstream>
#include <iostream>
#include <optional>

namespace {

constexpr const char* kProgramName = "rurizuda-unit-sim";
constexpr int kExitBadUsage = 2;
constexpr int kExitFailure = 1;

// The recorded unit of --replay; nullopt after saying why on standard error.
std::optional<sim::ReplayUnit> LoadReplay(const std::string& path)
{
    std::ifstream in(path);
    if (!in) {
        std::cerr << kProgramName << ": cannot read the trace " << path << std::endl;
        return std::nullopt;
    }
    const WireTraceText trace = ParseWireTrace(in);
    if (!trace.error.empty()) {
        std::cerr << kProgramName << ": " << path << ": " << trace.error << std::endl;
        return std::nullopt;
    }
    if (!trace.torn.empty())
        std::cerr << kProgramName << ": " << path << ": " << trace.torn << std::endl;
    return sim::ReplayUnit(trace.chunks);
}

// Requests the recording held no answer for, one line each.
void ReportUnanswered(const sim::ReplayUnit& replay)
{
    for (const std::string& request : replay.Unanswered())
        std::cerr << kProgramName << ": no recorded answer for " << EscapeWireBytes(request) << std::endl;
}

}  // namespace

int main(int argc, char** argv)
{
    const sim::CommandLineResult parsed = sim::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << kProgramName << ": " << parsed.error << " (see --help)" << std::endl;
        return kExitBadUsage;
    }
    if (parsed.helpRequested) {
        std::cout << sim::UsageText(kProgramName);
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);
    try {
        const sim::StopSignals stop;
        sim::PseudoTerminal terminal;
        std::optional<sim::ReplayUnit> replay;
        if (!parsed.config.replayPath.empty()) {
            replay = LoadReplay(parsed.config.replayPath);
            if (!replay)
                return kExitFailure;
        }
        sim::UnitSimulator simulator(parsed.config.state, parsed.config.options);
        sim::UnitBehaviour& unit = replay ? static_cast<sim::UnitBehaviour&>(*replay) : simulator;
        std::cout << terminal.SlavePath() << std::endl;
        sim::UnitServer server(terminal, unit, stop, {parsed.config.log, parsed.config.exitOnStdinClose},
                               std::cerr);
        server.Run();
        if (replay)
            ReportUnanswered(*replay);
    } catch (const std::exception& error) {
        std::cerr << kProgramName << ": " << error.what() << std::endl;
        return kExitFailure;
    }
    return 0;
}
