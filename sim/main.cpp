// Unit simulator: serves a simulated unit's AT port on a pseudo-terminal.

#include "sim/CommandLine.h"
#include "sim/PseudoTerminal.h"
#include "sim/StopSignals.h"
#include "sim/UnitServer.h"
#include "sim/UnitSimulator.h"

#include <csignal>
#include <exception>
#include <iostream>

namespace {

constexpr const char* kProgramName = "rurizuda-unit-sim";
constexpr int kExitBadUsage = 2;
constexpr int kExitFailure = 1;

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
        sim::UnitSimulator simulator(parsed.config.state, parsed.config.options);
        std::cout << terminal.SlavePath() << std::endl;
        sim::UnitServer server(terminal, simulator, stop,
                               {parsed.config.log, parsed.config.exitOnStdinClose}, std::cerr);
        server.Run();
    } catch (const std::exception& error) {
        std::cerr << kProgramName << ": " << error.what() << std::endl;
        return kExitFailure;
    }
    return 0;
}
