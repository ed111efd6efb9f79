// rurizuda-mes: the MES outbox of a station folder from a shell.
//   rurizuda-mes list [OUTBOX]   what waits for the broker, oldest first, and
//                                the dead letters; never writes to the outbox
//   rurizuda-mes send --url URL --address ADDRESS [--credentials FILE] [--plaintext-password]
//                     [--retry-dead] OUTBOX
//                                sends what waits and exits once the outbox is
//                                empty; --retry-dead queues the dead letters again
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "mes/MesOutbox.h"
#include "mes/MesSender.h"
#include "records/ResultStore.h"

namespace {

constexpr int kUsageStatus = 2;
constexpr int kListBatch = 500;

constexpr const char* kUsage =
    "usage: rurizuda-mes list [OUTBOX]\n"
    "       rurizuda-mes send --url URL --address ADDRESS [--credentials FILE] [--plaintext-password]\n"
    "                         [--retry-dead] OUTBOX\n"
    "OUTBOX defaults to ./mes-outbox.db in list.\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return kUsageStatus;
}

// The unit's SN and overall result, read back from a message.
std::string UnitOf(const std::string& message)
{
    const auto json = nlohmann::json::parse(message, nullptr, false);
    try {
        const auto& unit = json.at("MessageBody").at("TestedUnits").at(0);
        return unit.at("UnitIdentifier").get<std::string>() + "\t" + unit.at("OverallResult").get<std::string>();
    } catch (const std::exception&) {
        return "?\t?";
    }
}

int List(const std::filesystem::path& file)
{
    if (!std::filesystem::exists(file)) {
        std::fprintf(stderr, "rurizuda-mes: no outbox at %s\n", file.c_str());
        return 1;
    }
    MesOutbox outbox(file, OutboxAccess::ReadOnly);
    std::printf("ID\tQUEUED\tUNIQUEID\tSN\tRESULT\n");
    int64_t count = 0;
    for (int64_t after = 0;;) {
        const auto entries = outbox.After(after, kListBatch);
        if (entries.empty())
            break;
        for (const OutboxEntry& entry : entries) {
            std::printf("%lld\t%s\t%s\t%s\n", static_cast<long long>(entry.id), entry.queuedAt.c_str(),
                        entry.uniqueId.c_str(), UnitOf(entry.message).c_str());
            after = entry.id;
            ++count;
        }
    }
    std::printf("%lld waiting\n", static_cast<long long>(count));
    const auto dead = outbox.DeadLetters();
    for (const DeadLetter& letter : dead) {
        std::printf("dead letter\t%s\t%s\t%s\t%s\n", letter.queuedAt.c_str(), letter.uniqueId.c_str(),
                    letter.name.c_str(), letter.reason.c_str());
    }
    std::printf("%zu dead letter%s\n", dead.size(), dead.size() == 1 ? "" : "s");
    return 0;
}

class PrintFailures : public MesSendObserver {
public:
    void Accepted(const std::string&) override { ++sent; }
    void Failed(const std::string& reason) override { std::fprintf(stderr, "rurizuda-mes: %s\n", reason.c_str()); }
    void Buried(const std::string& uniqueId, const std::string& reason) override
    {
        std::fprintf(stderr, "rurizuda-mes: %s is a dead letter: %s\n", uniqueId.c_str(), reason.c_str());
        ++buried;
    }
    int64_t sent = 0;
    int64_t buried = 0;
};

int Send(int argc, char** argv)
{
    MesSettings settings;
    settings.handle = "rurizuda-mes";  // not sent: the messages carry their own
    std::string file;
    bool retryDead = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--url" && hasValue)
            settings.url = argv[++i];
        else if (arg == "--address" && hasValue)
            settings.address = argv[++i];
        else if (arg == "--credentials" && hasValue)
            settings.credentials = argv[++i];
        else if (arg == "--plaintext-password")
            settings.plaintextPassword = true;
        else if (arg == "--retry-dead")
            retryDead = true;
        else if (file.empty() && arg[0] != '-')
            file = arg;
        else
            return Usage();
    }
    if (file.empty())
        return Usage();
    std::string error;
    const auto endpoint = ResolveMesEndpoint(settings, &error);
    if (!endpoint) {
        std::fprintf(stderr, "rurizuda-mes: %s\n", error.c_str());
        return kUsageStatus;
    }
    if (!std::filesystem::exists(file)) {
        std::fprintf(stderr, "rurizuda-mes: no outbox at %s\n", file.c_str());
        return 1;
    }
    PrintFailures observer;
    MesSender sender(*endpoint, file, observer, {}, {}, retryDead);
    const bool drained = sender.Drain();
    std::printf("%lld sent, %lld dead letters\n", static_cast<long long>(observer.sent),
                static_cast<long long>(observer.buried));
    return drained ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    try {
        if (command == "list" && argc <= 3)
            return List(argc == 3 ? argv[2] : kMesOutboxFileName);
        if (command == "send")
            return Send(argc, argv);
    } catch (const StoreError& failure) {
        std::fprintf(stderr, "rurizuda-mes: %s\n", failure.what());
        return 1;
    }
    return Usage();
}
