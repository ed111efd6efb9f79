#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "link/Clock.h"
#include "link/SerialBackend.h"

// A unit for fuzzing: the device link in virtual time, whose replies are the
// chunks cut from the fuzzer's input. Each chunk is one length byte and that
// many bytes; a length of 0 is a poll that delivers nothing. After the last
// chunk the port stays silent.
class FuzzClock final : public Clock {
public:
    void Sleep(int ms) override { now += ms; }
    int64_t NowMs() const override { return now; }
    int64_t now = 0;
};

class FuzzSerial final : public SerialBackend {
public:
    FuzzSerial(FuzzClock& clock, const uint8_t* data, size_t size);

    SerialHandle Open(const char*, int) override { return kHandle; }
    void Close(SerialHandle) override {}
    int Purge(SerialHandle) override { return 1; }
    int Read(SerialHandle, unsigned char* dest, int maxCount) override;
    int Write(SerialHandle, const unsigned char*, int) override { return 1; }

private:
    static constexpr SerialHandle kHandle = 7;
    static constexpr int kReadWaitMs = 200;
    FuzzClock& clock_;
    std::deque<std::string> chunks_;
};

// Installs the fuzz clock and port for the life of the object and opens the
// AT port on it.
class FuzzUnit {
public:
    FuzzUnit(const uint8_t* data, size_t size);
    ~FuzzUnit();
    FuzzUnit(const FuzzUnit&) = delete;
    FuzzUnit& operator=(const FuzzUnit&) = delete;

private:
    FuzzClock clock_;
    FuzzSerial serial_;
    Clock* previousClock_;
    SerialBackend* previousBackend_;
};
