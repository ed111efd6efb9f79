#pragma once

#include <string>

// The trace channel: diagnostic texts of the device link. Each text carries
// its own line end and is passed on as one message; none of them reaches
// the station log.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void Write(const char* text) = 0;
};

// Sends `text` to the installed sink (standard error by default).
void TraceOut(const char* text);

// Installs `sink` (nullptr restores standard error) and returns the previous one.
TraceSink* InstallTraceSink(TraceSink* sink);

// Collects traces in memory; for tests and tools that want to inspect them.
class TraceRecorder final : public TraceSink {
public:
    void Write(const char* text) override { texts += text; }
    std::string texts;
};
