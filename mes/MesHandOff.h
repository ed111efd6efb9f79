#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "mes/AmqpSession.h"
#include "mes/MesEndpoint.h"
#include "mes/MesOutbox.h"
#include "mes/MesSender.h"
#include "mes/UnitsTestedMessage.h"

class MesOutbox;
struct UnitJournalEntry;

// The station's hand-off to the MES. The station's thread only pushes each
// stored unit (with where its journal line ends) to the sender's thread and
// reads counters; the sender makes the message, writes it into the outbox
// in the slot's folder with the journal cursor, and publishes it.
class MesHandOff : private MesSendObserver {
public:
    // Called on the sender's thread when the broker accepted a message.
    using AcceptedHook = std::function<void(const std::string& uniqueId)>;

    // Starts the sender on folder/mes-outbox.db; on start it queues this
    // slot's units of the journal under `journalDir` that the outbox lacks.
    // `slot` 0 means a station without slots. Settings that cannot be used
    // set `error`, and the units are still queued, to go once the profile
    // is fixed and the station started again.
    static std::unique_ptr<MesHandOff> Start(const MesSettings& settings, const std::filesystem::path& folder,
                                             const std::filesystem::path& journalDir, int slot, std::string* error,
                                             AcceptedHook accepted = {}, MesRetry retry = {});
    ~MesHandOff() override;

    // The unit, whose journal line ends at `position`, to the sender; at once.
    void Publish(const UnitJournalEntry& entry, const JournalPosition& position);
    // The unit whose journal line could not be written: its message goes
    // into the outbox on this thread, on the disk when this returns. False
    // with `error` set when the outbox did not take it either.
    bool PublishWithoutJournal(const UnitJournalEntry& entry, std::string* error);
    // A message about the station itself (an already made envelope), in
    // order with the units: its line is in the journal, synced, when this
    // returns, then the sender takes it. When the journal cannot be written
    // it goes into the outbox on this thread; when neither takes it the
    // failure is the hand-off's LastFailure.
    void PublishEvent(const OutboxMessage& message);
    // Messages not yet accepted by the broker; -1 when the outbox cannot be used.
    int64_t Waiting();
    int64_t DeadLetters();
    // Whether the sender has read the journal into the outbox and counted
    // it; until then the counts are not known.
    bool Started();
    // The sender's latest failure; "" once a message got through again.
    std::string LastFailure();

private:
    MesHandOff(std::optional<MesEndpoint> endpoint, const MesSettings& settings,
               const std::filesystem::path& outboxFile, const std::filesystem::path& journalDir, int slot,
               std::string standingFailure, AcceptedHook accepted, MesRetry retry);
    void Accepted(const std::string& uniqueId) override;
    void Failed(const std::string& reason) override;
    void Buried(const std::string& uniqueId, const std::string& reason) override;
    void Counted(int64_t waiting, int64_t deadLetters) override;

    CfxSender cfxSender_;
    std::filesystem::path outboxFile_;
    std::filesystem::path journalDir_;
    int slot_ = 0;
    std::string standingFailure_;  // settings that cannot be used
    AcceptedHook accepted_;
    std::atomic<int64_t> waiting_ {0};
    std::atomic<int64_t> deadLetters_ {0};
    std::atomic<bool> started_ {false};
    std::mutex failureMutex_;
    std::string failure_;
    MesSender sender_;  // last: its thread stops before the rest goes
};

// The short status an operator sees: how many messages wait, how many are
// dead letters, and why when the sender is failing. "" when all is well.
std::string MesStatusText(int64_t waiting, const std::string& failure, int64_t deadLetters = 0);

// The unit's UnitsTested message as the outbox keeps it.
OutboxMessage UnitsTestedOutboxMessage(const UnitJournalEntry& entry, const CfxSender& sender);

// A station started without a slot reports its unit in this position.
inline constexpr int kMesPositionWithoutSlots = 1;
// The unit's position as the MES reads it.
int MesPositionOf(int slot);
