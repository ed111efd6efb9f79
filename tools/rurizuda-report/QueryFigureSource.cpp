#include "tools/rurizuda-report/QueryFigureSource.h"

QueryFigureSource::QueryFigureSource(Opener open, std::optional<WallSeconds> fromDay, std::optional<WallSeconds> toDay)
    : open_(std::move(open)), fromDay_(fromDay), toDay_(toDay)
{
}

ReportDatabase& QueryFigureSource::Keep(std::unique_ptr<ReportDatabase> db)
{
    std::lock_guard lock(mutex_);
    if (interrupted_)
        throw ReportInterrupted();
    connections_.push_back(std::move(db));
    return *connections_.back();
}

void QueryFigureSource::Compute(const SignalSettings& settings, YieldFigures* yield,
                                std::vector<SignalFigures>* measured)
{
    struct Closed {  // the connections end with the Compute, however it ends
        ~Closed()
        {
            std::lock_guard lock(source->mutex_);
            source->connections_.clear();
        }
        QueryFigureSource* source;
    } closed {this};
    ReportDatabase& db = Keep(open_());
    ReportDatabase& unitsDb = Keep(open_());
    *yield = ComputeYield(db, unitsDb, fromDay_, toDay_,
                          [&] { *measured = ComputeSignals(db, fromDay_, toDay_, settings); });
}

void QueryFigureSource::Interrupt()
{
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    for (const auto& db : connections_)
        db->Interrupt();
}
