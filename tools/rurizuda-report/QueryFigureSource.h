#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "tools/rurizuda-report/FigureSource.h"
#include "tools/rurizuda-report/ReportDatabase.h"

// The figures computed by the engine over every stored row, on connections
// opened for each Compute(): the reference the other sources are held
// against, and the line-wide database's source until it keeps summaries.
class QueryFigureSource final : public FigureSource {
public:
    using Opener = std::function<std::unique_ptr<ReportDatabase>()>;

    QueryFigureSource(Opener open, std::optional<WallSeconds> fromDay, std::optional<WallSeconds> toDay);

    void Compute(const SignalSettings& settings, YieldFigures* yield, std::vector<SignalFigures>* measured) override;

    // Ends the running Compute() and every later one.
    void Interrupt() override;

private:
    ReportDatabase& Keep(std::unique_ptr<ReportDatabase> db);

    Opener open_;
    std::optional<WallSeconds> fromDay_;
    std::optional<WallSeconds> toDay_;
    std::mutex mutex_;  // guards open_ connections and interrupted_
    std::vector<std::unique_ptr<ReportDatabase>> connections_;
    bool interrupted_ = false;
};
