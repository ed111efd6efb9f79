#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "mes/AmqpSession.h"
#include "mes/MesEndpoint.h"
#include "mes/MesSender.h"
#include "mes/UnitsTestedMessage.h"

class MesOutbox;
struct UnitJournalEntry;

// The station's hand-off to the MES: each stored unit's message goes into
// the outbox in the station folder at once, and a sender thread publishes
// the outbox to the broker. Nothing here waits for the broker.
class MesHandOff : private MesSendObserver {
public:
    // Called on the sender's thread when the broker accepted a message.
    using AcceptedHook = std::function<void(const std::string& uniqueId)>;

    // Checks the settings, opens (or creates) folder/mes-outbox.db and
    // starts the sender, which sends what an earlier run left. `slot` 0
    // means a station without slots. Nothing, with `error` set, when the
    // settings are wrong or the outbox cannot be opened.
    static std::unique_ptr<MesHandOff> Start(const MesSettings& settings, const std::filesystem::path& folder,
                                             int slot, std::string* error, AcceptedHook accepted = {},
                                             MesRetry retry = {});
    ~MesHandOff() override;

    // The unit's message into the outbox, then the sender woken. Returns
    // its UniqueID, or "" with `error` set when the outbox could not take it.
    std::string Publish(const UnitJournalEntry& entry, std::string* error);
    // Messages waiting for the broker; -1 when the outbox cannot be read.
    int64_t Waiting();
    // The sender's latest failure; "" once a message got through again.
    std::string LastFailure();

private:
    MesHandOff(const MesEndpoint& endpoint, const MesSettings& settings, const std::filesystem::path& outboxFile,
               int slot, AcceptedHook accepted, MesRetry retry);
    void Accepted(const std::string& uniqueId) override;
    void Failed(const std::string& reason) override;

    CfxSender cfxSender_;
    std::unique_ptr<MesOutbox> outbox_;
    AcceptedHook accepted_;
    std::mutex failureMutex_;
    std::string failure_;
    MesSender sender_;  // last: its thread stops before the rest goes
};

// The short status an operator sees: how many messages wait, and why when
// the sender is failing. "" when nothing waits and nothing failed.
std::string MesStatusText(int64_t waiting, const std::string& failure);
