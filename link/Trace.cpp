#include "link/Trace.h"

#include <cstdio>

namespace {
TraceSink* installedSink = nullptr;
}  // namespace

void TraceOut(const char* text)
{
    if (installedSink) {
        installedSink->Write(text);
        return;
    }
    std::fputs(text, stderr);
    std::fflush(stderr);
}

TraceSink* InstallTraceSink(TraceSink* sink)
{
    TraceSink* previous = installedSink;
    installedSink = sink;
    return previous;
}
