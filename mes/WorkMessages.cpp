#include "mes/WorkMessages.h"

namespace {

using json = nlohmann::json;

constexpr const char* kWorkStartedType = "CFX.Production.WorkStarted, CFX";
constexpr const char* kWorkCompletedType = "CFX.Production.WorkCompleted, CFX";
constexpr std::string_view kTransactionRole = "work/transaction";
constexpr std::string_view kStartedRole = "work/started";
constexpr std::string_view kCompletedRole = "work/completed";

OutboxMessage Outbox(const char* name, const CfxMessage& message)
{
    return {name, message.uniqueId, message.json};
}

// Ids named after the transaction: a message rebuilt for the same run is
// the same message.
std::string TransactionMessageId(std::string_view role, const std::string& transactionId, const CfxSender& sender)
{
    return StationMessageId(std::string(role) + "/" + transactionId, sender.handle, sender.positionNumber, {});
}

}  // namespace

const char* WorkResultName(WorkResult result)
{
    switch (result) {
    case WorkResult::Completed: return "Completed";
    case WorkResult::Failed: return "Failed";
    case WorkResult::Aborted: return "Aborted";
    }
    return "Aborted";
}

std::string WorkTransactionId(const CfxSender& sender, JournalClock::time_point start)
{
    return StationMessageId(kTransactionRole, sender.handle, sender.positionNumber, start);
}

OutboxMessage WorkStartedMessage(const std::string& transactionId, const std::string& sn, const CfxSender& sender,
                                 JournalClock::time_point time)
{
    json unit{{"UnitIdentifier", sn},
              {"PositionNumber", sender.positionNumber},
              {"PositionName", nullptr},
              {"X", 0.0},
              {"Y", 0.0},
              {"Rotation", 0.0},
              {"FlipX", false},
              {"FlipY", false}};
    json body{{"$type", kWorkStartedType},
              {"TransactionID", transactionId},
              {"Lane", nullptr},
              {"UnitCount", 1},
              {"Units", json::array({std::move(unit)})}};
    return Outbox(kWorkStartedMessageName,
                  CfxEnvelope(kWorkStartedMessageName, TransactionMessageId(kStartedRole, transactionId, sender), time,
                              sender.handle, std::move(body)));
}

OutboxMessage WorkCompletedMessage(const std::string& transactionId, WorkResult result, const CfxSender& sender,
                                   JournalClock::time_point time)
{
    json body{{"$type", kWorkCompletedType}, {"TransactionID", transactionId}, {"Result", WorkResultName(result)}};
    return Outbox(kWorkCompletedMessageName,
                  CfxEnvelope(kWorkCompletedMessageName, TransactionMessageId(kCompletedRole, transactionId, sender),
                              time, sender.handle, std::move(body)));
}
