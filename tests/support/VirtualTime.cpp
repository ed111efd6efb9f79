#include "tests/support/VirtualTime.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/TermiosSerial.h"

void VirtualClock::Sleep(int ms)
{
    now += ms;
    Record("sleep " + std::to_string(ms));
}

ScriptedSerial::ScriptedSerial(VirtualClock& clock)
    : clock_(clock)
{
}

void ScriptedSerial::ArriveIn(int64_t delayMs, std::string bytes)
{
    const int64_t at = clock_.now + delayMs;
    auto pos = std::upper_bound(arrivals_.begin(), arrivals_.end(), at,
                                [](int64_t t, const Arrival& a) { return t < a.at; });
    arrivals_.insert(pos, Arrival {at, std::move(bytes)});
}

ScriptedSerial& ScriptedSerial::Polls(int emptyPolls, std::string chunk)
{
    script_.push_back({emptyPolls, std::move(chunk), true});
    return *this;
}

ScriptedSerial& ScriptedSerial::Silence(int emptyPolls)
{
    script_.push_back({emptyPolls, {}, false});
    return *this;
}

bool ScriptedSerial::CountCall()
{
    ++calls;
    if (untilUnplugged_ > 0)
        --untilUnplugged_;
    if (untilUnplugged_ != 0)
        return false;
    readError_ = EIO;
    return true;
}

void ScriptedSerial::Replug()
{
    untilUnplugged_ = -1;
    readError_ = 0;
    arrivals_.clear();
    script_.clear();
}

SerialHandle ScriptedSerial::Open(const char* path, int baud)
{
    ++opens;
    clock_.Record(std::string("open ") + path + " " + std::to_string(baud));
    if (CountCall())
        return kInvalidSerialHandle;
    if (failOpens_ > 0) {
        --failOpens_;
        return kInvalidSerialHandle;
    }
    return failOpen_ ? kInvalidSerialHandle : kHandle;
}

void ScriptedSerial::Close(SerialHandle)
{
    ++closes;
    clock_.Record("close");
}

int ScriptedSerial::Purge(SerialHandle)
{
    clock_.Record("purge");
    if (CountCall())
        return 0;
    while (!arrivals_.empty() && arrivals_.front().at <= clock_.now)
        arrivals_.pop_front();
    return 1;
}

int ScriptedSerial::ReadScripted(unsigned char* dest, int maxCount)
{
    ScriptStep& step = script_.front();
    if (step.emptyPolls > 0) {
        --step.emptyPolls;
        if (step.emptyPolls == 0 && !step.deliver)
            script_.pop_front();
        clock_.now += kReadWaitMs;
        return 0;
    }
    const int n = std::min<int>(maxCount, static_cast<int>(step.chunk.size()));
    std::memcpy(dest, step.chunk.data(), static_cast<size_t>(n));
    step.chunk.erase(0, static_cast<size_t>(n));
    if (step.chunk.empty())
        script_.pop_front();
    return n;
}

int ScriptedSerial::Read(SerialHandle, unsigned char* dest, int maxCount)
{
    ++reads;
    CountCall();
    lastReadError_ = readError_;
    if (readError_ != 0) {
        clock_.Record("read failed");
        return kSerialReadFailed;
    }
    int n = 0;
    if (!script_.empty()) {
        n = ReadScripted(dest, maxCount);
    } else {
        if (arrivals_.empty() || arrivals_.front().at > clock_.now + kReadWaitMs) {
            clock_.now += kReadWaitMs;
        } else {
            clock_.now = std::max(clock_.now, arrivals_.front().at);
            while (n < maxCount && !arrivals_.empty() && arrivals_.front().at <= clock_.now) {
                std::string& bytes = arrivals_.front().bytes;
                const int take = std::min<int>(maxCount - n, static_cast<int>(bytes.size()));
                std::memcpy(dest + n, bytes.data(), static_cast<size_t>(take));
                n += take;
                bytes.erase(0, static_cast<size_t>(take));
                if (bytes.empty())
                    arrivals_.pop_front();
            }
        }
    }
    if (n == 0)
        ++emptyReads;
    clock_.Record("read " + std::to_string(n));
    return n;
}

int ScriptedSerial::Write(SerialHandle, const unsigned char* bytes, int count)
{
    std::string written(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    if (CountCall() || failWrite_) {
        clock_.Record("write failed " + Escape(written));
        return 0;
    }
    clock_.Record("write " + Escape(written));
    writes.push_back(written);
    if (responder_)
        responder_(written, *this);
    return 1;
}

VirtualLink::VirtualLink()
    : previousClock_(InstallClock(&clock))
    , previousBackend_(InstallSerialBackend(&serial))
    , previousSink_(InstallTraceSink(&traces))
{
}

VirtualLink::~VirtualLink()
{
    InstallClock(previousClock_);
    InstallSerialBackend(previousBackend_);
    InstallTraceSink(previousSink_);
}

std::string Escape(std::string_view bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
