#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/rurizuda-report/SignalFigures.h"
#include "tools/rurizuda-report/YieldFigures.h"

struct ReportOptions;

// Where a page's yield and signal figures come from: the station's file pair
// read once and grouped in memory, or the line-wide database's summary
// tables. A source is kept across the periods of `watch`, so each period
// reads only what changed since the one before where the source allows.
class FigureSource {
public:
    virtual ~FigureSource() = default;

    // The figures over the period and stations the options name, as they
    // stand now. Throws ReportError, also when Interrupt() ended it.
    virtual void Compute(const SignalSettings& settings, YieldFigures* yield,
                         std::vector<SignalFigures>* measured) = 0;

    // Ends a Compute() running on another thread as soon as the engine can.
    // Safe to call from any thread, also when nothing runs.
    virtual void Interrupt() = 0;
};
