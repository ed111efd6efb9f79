#pragma once

#include <string>
#include <vector>

#include "link/Clock.h"
#include "link/WireTrace.h"

// What the serial layer reports to the wire trace: each write that went out
// and each read that delivered bytes, stamped with the link clock.
class ChunkRecorder final : public WireTraceSink {
public:
    void Record(WireDirection direction, const unsigned char* bytes, int count) override
    {
        chunks.push_back({CurrentClock().NowMs(), direction,
                          std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count))});
    }
    std::vector<WireChunk> chunks;
};
