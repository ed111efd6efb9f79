#include "mes/MesHandOff.h"

#include "mes/MesOutbox.h"
#include "records/ResultStore.h"
#include "records/UnitJournal.h"

namespace {

// A station started without a slot reports its unit in position 1.
constexpr int kPositionWithoutSlots = 1;

}  // namespace

std::unique_ptr<MesHandOff> MesHandOff::Start(const MesSettings& settings, const std::filesystem::path& folder,
                                              int slot, std::string* error, AcceptedHook accepted, MesRetry retry)
{
    const auto endpoint = ResolveMesEndpoint(settings, error);
    if (!endpoint)
        return nullptr;
    try {
        std::unique_ptr<MesHandOff> handOff(
            new MesHandOff(*endpoint, settings, folder / kMesOutboxFileName, slot, std::move(accepted), retry));
        handOff->sender_.Start();
        return handOff;
    } catch (const StoreError& failure) {
        *error = std::string("the MES outbox cannot be opened: ") + failure.what();
        return nullptr;
    }
}

MesHandOff::MesHandOff(const MesEndpoint& endpoint, const MesSettings& settings,
                       const std::filesystem::path& outboxFile, int slot, AcceptedHook accepted, MesRetry retry)
    : cfxSender_ {settings.handle, slot > 0 ? slot : kPositionWithoutSlots}
    , outbox_(std::make_unique<MesOutbox>(outboxFile, false))
    , accepted_(std::move(accepted))
    , sender_(endpoint, outboxFile, *this, retry)
{
}

MesHandOff::~MesHandOff()
{
    sender_.Stop();
}

std::string MesHandOff::Publish(const UnitJournalEntry& entry, std::string* error)
{
    const CfxMessage message = UnitsTestedMessage(entry, cfxSender_);
    try {
        outbox_->Add(message.uniqueId, message.json);
    } catch (const StoreError& failure) {
        *error = std::string("the unit's MES message was not queued: ") + failure.what();
        return "";
    }
    sender_.Wake();
    return message.uniqueId;
}

int64_t MesHandOff::Waiting()
{
    try {
        return outbox_->Count();
    } catch (const StoreError&) {
        return -1;
    }
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
    failure_ = reason;
}

std::string MesStatusText(int64_t waiting, const std::string& failure)
{
    if (waiting < 0)
        return "MES: outbox unreadable";
    if (waiting == 0 && failure.empty())
        return "";
    std::string text = "MES: " + std::to_string(waiting) + " waiting";
    if (!failure.empty())
        text += " (" + failure + ")";
    return text;
}
