#include "records/JournalEvent.h"

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;

// Field names of an event line; "event" is what no unit line has.
namespace key {
constexpr const char* kEvent = "event";
constexpr const char* kSlot = "slot";
constexpr const char* kRecorded = "recorded";
constexpr const char* kUniqueId = "unique_id";
constexpr const char* kMessage = "message";
}  // namespace key

// An event line starts with its kind (keys are written in sorted order, and
// "event" sorts first), so it is told apart without parsing.
constexpr std::string_view kEventLineStart = "{\"event\":";

}  // namespace

std::string JournalEventLine(const JournalEvent& event)
{
    const json line{{key::kEvent, event.name},
                    {key::kSlot, event.slot},
                    {key::kRecorded, JournalTimeText(event.recorded)},
                    {key::kUniqueId, event.uniqueId},
                    {key::kMessage, event.message}};
    return line.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

std::optional<JournalEvent> ParseJournalEventLine(const std::string& line)
{
    if (!IsJournalEventLine(line))
        return std::nullopt;
    const json value = json::parse(line, nullptr, false);
    if (value.is_discarded() || !value.is_object())
        return std::nullopt;
    try {
        JournalEvent event;
        event.name = value.at(key::kEvent).get<std::string>();
        event.slot = value.at(key::kSlot).get<int>();
        const auto recorded = ParseJournalTime(value.at(key::kRecorded).get<std::string>());
        if (!recorded)
            return std::nullopt;
        event.recorded = *recorded;
        event.uniqueId = value.at(key::kUniqueId).get<std::string>();
        event.message = value.at(key::kMessage).get<std::string>();
        return event;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool IsJournalEventLine(const std::string& line)
{
    return line.starts_with(kEventLineStart);
}
