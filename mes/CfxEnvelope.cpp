#include "mes/CfxEnvelope.h"

#include <cstdio>

namespace {

using json = nlohmann::json;

constexpr const char* kCfxVersion = "1.2";
// The reference's TimeSpan has ticks of 100 ns: seven digits of fraction.
constexpr int64_t kTicksPerMillisecond = 10000;

// The namespace of the ids of the station's own messages.
constexpr Uuid kStationMessageNamespace = {0x4b, 0x2e, 0x91, 0x07, 0xc3, 0x5a, 0x4f, 0x18,
                                           0x9d, 0x66, 0x0e, 0x7c, 0x21, 0xa4, 0x58, 0xb3};

}  // namespace

CfxMessage CfxEnvelope(const std::string& name, const std::string& uniqueId, JournalClock::time_point time,
                       const std::string& source, nlohmann::json body, const std::string& requestId)
{
    const json envelope{{"MessageName", name},
                        {"Version", kCfxVersion},
                        {"TimeStamp", JournalTimeText(time)},
                        {"UniqueID", uniqueId},
                        {"Source", source},
                        {"Target", nullptr},
                        {"RequestID", requestId.empty() ? json(nullptr) : json(requestId)},
                        {"MessageBody", std::move(body)}};
    return {uniqueId, envelope.dump(-1, ' ', false, json::error_handler_t::replace)};
}

std::string CfxTimeSpan(std::chrono::milliseconds duration)
{
    const int64_t total = std::max<int64_t>(duration.count(), 0);
    const int64_t millis = total % 1000;
    const int64_t seconds = total / 1000;
    const int64_t days = seconds / 86400;
    char text[64];
    int length = 0;
    if (days > 0)
        length = std::snprintf(text, sizeof text, "%lld.", static_cast<long long>(days));
    length += std::snprintf(text + length, sizeof text - static_cast<size_t>(length), "%02lld:%02lld:%02lld",
                            static_cast<long long>(seconds / 3600 % 24), static_cast<long long>(seconds / 60 % 60),
                            static_cast<long long>(seconds % 60));
    if (millis > 0)
        std::snprintf(text + length, sizeof text - static_cast<size_t>(length), ".%07lld",
                      static_cast<long long>(millis * kTicksPerMillisecond));
    return text;
}

std::string StationMessageId(std::string_view role, const std::string& handle, int position,
                             JournalClock::time_point time, int number)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    std::string name;
    // Each part with its length first, so no two sets of parts share a name.
    for (const std::string& part : {std::string(role), handle, std::to_string(position), std::to_string(ms),
                                    std::to_string(number)})
        name += std::to_string(part.size()) + ':' + part;
    return UuidText(NameBasedUuid(kStationMessageNamespace, name));
}
