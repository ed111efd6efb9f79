#include "tools/rurizuda-report/ItemDurations.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPercentile = 0.95;
constexpr size_t kDayFileNameLength = 16;  // YYYY-MM-DD.jsonl

int64_t NearestRank(const std::vector<int64_t>& sorted, double share)
{
    const auto rank = static_cast<size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::max<size_t>(rank, 1) - 1];
}

}  // namespace

JournalFiles FindJournalFiles(const std::vector<std::string>& folders, std::optional<WallSeconds> fromDay,
                              std::optional<WallSeconds> toDay)
{
    JournalFiles found;
    for (const auto& folder : folders) {
        std::filesystem::path dir = folder;
        std::error_code error;
        if (std::filesystem::is_directory(dir / "units", error))
            dir /= "units";
        for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.size() != kDayFileNameLength || it->path().extension() != ".jsonl")
                continue;
            const auto day = ParseDate(name.substr(0, 10));
            if (day && (!fromDay || *day >= *fromDay) && (!toDay || *day <= *toDay))
                found.files.push_back(it->path());
        }
        if (error) {
            found.error = folder + ": " + error.message();
            return found;
        }
    }
    std::sort(found.files.begin(), found.files.end());
    return found;
}

void ItemDurationTable::Add(const UnitJournalRead& read)
{
    for (const auto& entry : read.entries) {
        for (const auto& item : entry.items) {
            auto runs = std::find_if(runs_.begin(), runs_.end(), [&](const Runs& r) {
                return r.station == entry.station && r.item == item.name;
            });
            if (runs == runs_.end())
                runs = runs_.insert(runs_.end(), {entry.station, item.name, {}});
            runs->ms.push_back(item.durationMs);
        }
    }
}

std::vector<ItemDuration> ItemDurationTable::Durations() const
{
    std::vector<ItemDuration> durations;
    for (const auto& runs : runs_) {
        std::vector<int64_t> sorted = runs.ms;
        std::sort(sorted.begin(), sorted.end());
        durations.push_back({runs.station, runs.item, static_cast<int>(sorted.size()), NearestRank(sorted, 0.5),
                             NearestRank(sorted, kPercentile)});
    }
    std::stable_sort(durations.begin(), durations.end(),
                     [](const ItemDuration& a, const ItemDuration& b) { return a.station < b.station; });
    return durations;
}
