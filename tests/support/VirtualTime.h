#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/Clock.h"
#include "link/SerialBackend.h"
#include "link/Trace.h"

// Virtual time for the device link: sleeps only advance a counter, and every
// sleep and serial operation is written to one event list that tests compare
// with the timing contract, e.g. {"sleep 193", "purge", "sleep 91",
// "write AT*MRD_IMEI?\r\n", "sleep 473", "read 25"}.
class VirtualClock final : public Clock {
public:
    void Sleep(int ms) override;
    int64_t NowMs() const override { return now; }
    void Advance(int64_t ms) { now += ms; }
    void Record(std::string event) { events.push_back(std::move(event)); }

    int64_t now = 0;
    std::vector<std::string> events;
};

// A serial port whose bytes arrive at virtual times. Two ways to feed it:
// - timed arrivals (ArriveIn), which a responder can schedule when the
//   station writes; a read returns every byte that has arrived, waits
//   virtually for up to 200 ms for the first one, and a purge discards
//   what has arrived;
// - a poll script (Polls), consumed read by read, that says exactly how many
//   polls come back empty before each chunk. While a script is left it takes
//   precedence over timed arrivals.
class ScriptedSerial final : public SerialBackend {
public:
    static constexpr int kReadWaitMs = 200;
    static constexpr SerialHandle kHandle = 7;

    explicit ScriptedSerial(VirtualClock& clock);

    // Called with every write; may schedule the unit's answer.
    using Responder = std::function<void(std::string_view written, ScriptedSerial& port)>;
    void SetResponder(Responder responder) { responder_ = std::move(responder); }

    void ArriveIn(int64_t delayMs, std::string bytes);
    // Next reads: `emptyPolls` reads that deliver nothing, then `chunk`.
    ScriptedSerial& Polls(int emptyPolls, std::string chunk);
    // Next reads: `emptyPolls` reads that deliver nothing.
    ScriptedSerial& Silence(int emptyPolls);

    void FailOpen(bool fail) { failOpen_ = fail; }
    // The next `count` opens fail, later ones succeed.
    void FailOpens(int count) { failOpens_ = count; }
    void FailWrite(bool fail) { failWrite_ = fail; }
    // Every later read fails at once with `error` (0: reads work again), as
    // on a port whose unit was unplugged.
    void FailReads(int error) { readError_ = error; }
    // The unit is unplugged once `calls` more opens, purges, reads and writes
    // have passed: from then on opens, purges and writes fail and reads fail
    // with EIO, until Replug.
    void UnplugAfter(int calls) { untilUnplugged_ = calls; }
    void Replug();
    bool Unplugged() const { return untilUnplugged_ == 0; }

    SerialHandle Open(const char* path, int baud) override;
    void Close(SerialHandle handle) override;
    int Purge(SerialHandle handle) override;
    int Read(SerialHandle handle, unsigned char* dest, int maxCount) override;
    int Write(SerialHandle handle, const unsigned char* bytes, int count) override;
    int LastReadError() const override { return lastReadError_; }

    // Everything written, in order; one entry per write.
    std::vector<std::string> writes;
    int opens = 0;
    int closes = 0;
    int reads = 0;
    int emptyReads = 0;
    int calls = 0;  // opens, purges, reads and writes

private:
    struct Arrival {
        int64_t at;
        std::string bytes;
    };
    struct ScriptStep {
        int emptyPolls;
        std::string chunk;
        bool deliver;
    };
    int ReadScripted(unsigned char* dest, int maxCount);

    VirtualClock& clock_;
    Responder responder_;
    std::deque<Arrival> arrivals_;
    std::deque<ScriptStep> script_;
    bool failOpen_ = false;
    int failOpens_ = 0;
    bool failWrite_ = false;
    int readError_ = 0;
    int lastReadError_ = 0;
    int untilUnplugged_ = -1;  // -1: never
    // Counts one call towards the unplugging; true once unplugged.
    bool CountCall();
};

// Installs a virtual clock, a scripted serial backend and a trace recorder
// for the life of the object, and restores the real ones afterwards.
class VirtualLink {
public:
    VirtualLink();
    ~VirtualLink();
    VirtualLink(const VirtualLink&) = delete;
    VirtualLink& operator=(const VirtualLink&) = delete;

    // Total virtual time slept and waited.
    int64_t Elapsed() const { return clock.now; }

    VirtualClock clock;
    ScriptedSerial serial {clock};
    TraceRecorder traces;

private:
    Clock* previousClock_;
    SerialBackend* previousBackend_;
    TraceSink* previousSink_;
};

// CR and LF written as \r and \n, other control bytes as \xNN.
std::string Escape(std::string_view bytes);
