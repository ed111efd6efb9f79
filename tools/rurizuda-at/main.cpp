// rurizuda-at: runs one device command on a port, with the station's timing.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "atcmd/Atcmd.h"
#include "link/StationLog.h"
#include "link/WireTraceFile.h"
#include "tools/rurizuda-at/ToolCommands.h"

namespace {

constexpr int kExitResultOne = 0;
constexpr int kExitResultZero = 1;
constexpr int kExitUsage = 2;

void PrintHelp(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: rurizuda-at --port PATH [--trace FILE] [--] COMMAND [VALUE]\n"
                 "\n"
                 "Runs one device command on the unit's AT port PATH (for example /dev/ttyACM0,\n"
                 "or the path printed by rurizuda-unit-sim) with the station's exact timing.\n"
                 "Prints result=1 or result=0, then one NAME=VALUE line per output of the\n"
                 "command (bytes outside printable ASCII as \\xNN). Failure entries go to\n"
                 "writelog.txt in the current directory, traces to standard error.\n"
                 "\n"
                 "--trace FILE appends every chunk written to and read from the port to FILE\n"
                 "(\"<ms> --> bytes\" / \"<ms> <-- bytes\"); rurizuda-unit-sim --replay FILE\n"
                 "answers as the recorded unit.\n"
                 "\"--\" ends the options, for a VALUE that begins with '-'.\n"
                 "Exit status: 0 result 1, 1 result 0, 2 usage error or port not opened.\n"
                 "\n"
                 "Commands:\n");
    for (const auto& command : ToolCommands()) {
        std::string usage = command.name;
        if (command.value)
            usage += std::string(" ") + command.value;
        std::fprintf(out, "  %-52s %s\n", usage.c_str(), command.description);
    }
}

int UsageError(const std::string& reason)
{
    std::fprintf(stderr, "rurizuda-at: %s (see rurizuda-at --help)\n", reason.c_str());
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string port;
    std::string tracePath;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded) {
            words.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;  // what follows are words, even when they begin with '-'
        } else if (arg == "--help" || arg == "-h") {
            PrintHelp(stdout);
            return 0;
        } else if (arg == "--port") {
            if (i + 1 >= argc)
                return UsageError("--port needs a PATH");
            port = argv[++i];
        } else if (arg.rfind("--port=", 0) == 0) {
            port = arg.substr(std::strlen("--port="));
        } else if (arg == "--trace") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return UsageError("--trace needs a FILE");
            tracePath = argv[++i];
        } else if (arg.rfind("--trace=", 0) == 0) {
            tracePath = arg.substr(std::strlen("--trace="));
            if (tracePath.empty())
                return UsageError("--trace needs a FILE");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            words.push_back(arg);
        }
    }
    if (port.empty())
        return UsageError("--port PATH is required");
    if (words.empty())
        return UsageError("a COMMAND is required");

    const ToolCommand* command = FindToolCommand(words[0]);
    if (!command)
        return UsageError("unknown command " + words[0]);
    const size_t wanted = command->value ? 2 : 1;
    if (words.size() != wanted) {
        return UsageError(command->value ? std::string(command->name) + " needs " + command->value
                                         : std::string(command->name) + " takes no VALUE");
    }
    const std::string value = command->value ? words[1] : std::string();
    if (auto reason = command->checkValue(value))
        return UsageError(*reason);

    if (!LogOpenFile(kStationLogName)) {
        std::fprintf(stderr, "rurizuda-at: cannot open %s in the current directory: %s\n", kStationLogName,
                     std::strerror(errno));
        return kExitUsage;
    }
    std::unique_ptr<WireTraceFile> wireTrace;
    if (!tracePath.empty()) {
        wireTrace = std::make_unique<WireTraceFile>();
        std::string reason;
        if (!wireTrace->Open(tracePath, reason)) {
            std::fprintf(stderr, "rurizuda-at: %s\n", reason.c_str());
            LogClose();
            return kExitUsage;
        }
        InstallWireTrace(wireTrace.get());
    }
    if (!AtOpen(port.c_str())) {
        std::fprintf(stderr, "rurizuda-at: cannot open the port %s (missing, not a serial port, not permitted, or in use)\n",
                     port.c_str());
        LogClose();
        return kExitUsage;
    }
    const ToolRun run = command->run(value);
    AtClose();
    LogClose();
    if (wireTrace) {
        InstallWireTrace(nullptr);
        wireTrace->Close();
    }

    std::printf("result=%d\n", run.result);
    for (const auto& output : run.outputs)
        std::printf("%s=%s\n", output.name.c_str(), EscapeNonPrintable(output.value).c_str());
    return run.result == 1 ? kExitResultOne : kExitResultZero;
}
