#include "mes/MesHandOff.h"

#include "mes/MesOutbox.h"
#include "records/JournalEvent.h"
#include "records/ResultStore.h"
#include "records/UnitJournal.h"

int MesPositionOf(int slot)
{
    return slot > 0 ? slot : kMesPositionWithoutSlots;
}

std::unique_ptr<MesHandOff> MesHandOff::Start(const MesSettings& settings, const std::filesystem::path& folder,
                                              const std::filesystem::path& journalDir, int slot, std::string* error,
                                              AcceptedHook accepted, MesRetry retry)
{
    std::string settingsError;
    auto endpoint = ResolveMesEndpoint(settings, &settingsError);
    if (!endpoint)
        *error = settingsError;
    std::unique_ptr<MesHandOff> handOff(new MesHandOff(std::move(endpoint), settings, folder / kMesOutboxFileName,
                                                       journalDir, slot, settingsError, std::move(accepted), retry));
    handOff->sender_.Start();
    return handOff;
}

MesHandOff::MesHandOff(std::optional<MesEndpoint> endpoint, const MesSettings& settings,
                       const std::filesystem::path& outboxFile, const std::filesystem::path& journalDir, int slot,
                       std::string standingFailure, AcceptedHook accepted, MesRetry retry)
    : cfxSender_ {settings.handle, MesPositionOf(slot)}
    , outboxFile_(outboxFile)
    , journalDir_(journalDir)
    , slot_(slot)
    , standingFailure_(std::move(standingFailure))
    , accepted_(std::move(accepted))
    , failure_(standingFailure_)
    , sender_(std::move(endpoint), outboxFile, *this, retry,
              MesJournalFeed {journalDir, slot, [this](const UnitJournalEntry& entry) { return UnitsTestedOutboxMessage(entry, cfxSender_); }})
{
}

MesHandOff::~MesHandOff()
{
    sender_.Stop();
}

OutboxMessage UnitsTestedOutboxMessage(const UnitJournalEntry& entry, const CfxSender& sender)
{
    const CfxMessage message = UnitsTestedMessage(entry, sender);
    return {kUnitsTestedMessageName, message.uniqueId, message.json};
}

void MesHandOff::Publish(const UnitJournalEntry& entry, const JournalPosition& position)
{
    sender_.Push({entry, position});
}

bool MesHandOff::PublishWithoutJournal(const UnitJournalEntry& entry, std::string* error)
{
    try {
        MesOutbox(outboxFile_).Add(UnitsTestedOutboxMessage(entry, cfxSender_));
        ++waiting_;
        return true;
    } catch (const StoreError& failure) {
        *error = std::string("the unit's MES message was not queued: ") + failure.what();
        return false;
    }
}

void MesHandOff::PublishEvent(const OutboxMessage& message)
{
    const JournalEvent event {message.name, slot_, JournalClock::now(), message.uniqueId, message.json};
    std::string journalError;
    JournalPosition position;
    if (AppendUnitJournalLine(journalDir_, event.recorded, JournalEventLine(event), &journalError, &position)) {
        sender_.Push({UnitJournalEntry {}, position, message});
        return;
    }
    try {
        MesOutbox(outboxFile_).Add(message);
        ++waiting_;
    } catch (const StoreError& failure) {
        std::lock_guard lock(failureMutex_);
        failure_ = message.name + " was lost: " + journalError + "; " + failure.what();
    }
}

int64_t MesHandOff::Waiting()
{
    return waiting_ + static_cast<int64_t>(sender_.Pushed());
}

int64_t MesHandOff::DeadLetters()
{
    return deadLetters_;
}

bool MesHandOff::Started()
{
    return started_;
}

std::string MesHandOff::LastFailure()
{
    std::lock_guard lock(failureMutex_);
    return failure_;
}

void MesHandOff::Accepted(const std::string& uniqueId)
{
    {
        std::lock_guard lock(failureMutex_);
        failure_.clear();
    }
    if (accepted_)
        accepted_(uniqueId);
}

void MesHandOff::Failed(const std::string& reason)
{
    std::lock_guard lock(failureMutex_);
    failure_ = standingFailure_.empty() ? reason : standingFailure_;
}

void MesHandOff::Buried(const std::string&, const std::string& reason)
{
    std::lock_guard lock(failureMutex_);
    failure_ = reason;
}

void MesHandOff::Counted(int64_t waiting, int64_t deadLetters)
{
    waiting_ = waiting;
    deadLetters_ = deadLetters;
    started_ = true;
}

std::string MesStatusText(int64_t waiting, const std::string& failure, int64_t deadLetters)
{
    if (waiting < 0)
        return "MES: outbox unreadable" + (failure.empty() ? "" : " (" + failure + ")");
    if (waiting == 0 && failure.empty() && deadLetters == 0)
        return "";
    std::string text = "MES: ";
    if (waiting > 0 || deadLetters == 0)
        text += std::to_string(waiting) + " waiting";
    if (deadLetters > 0) {
        text += (waiting > 0 ? ", " : "") + std::to_string(deadLetters) + " dead letter" +
                (deadLetters == 1 ? "" : "s");
    }
    if (!failure.empty())
        text += " (" + failure + ")";
    return text;
}
