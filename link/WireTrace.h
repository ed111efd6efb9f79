#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The wire trace: every chunk of bytes the station writes to or reads from
// the AT port, one line per chunk:
//
//   <ms> --> <bytes>     written by the station
//   <ms> <-- <bytes>     read by the station
//
// <ms> is the link clock's monotonic time when the write or read returned.
// In <bytes>, CR and LF are written \r and \n, a backslash \\, every byte
// outside printable ASCII (and a space that ends the chunk, which editors
// strip) \xNN; so a line holds one chunk exactly and reads back to it.
// Lines that are empty or begin with '#' are comments.

enum class WireDirection { Sent, Received };

inline constexpr std::string_view kWireSentMark = "-->";
inline constexpr std::string_view kWireReceivedMark = "<--";

struct WireChunk {
    int64_t ms = 0;
    WireDirection direction = WireDirection::Sent;
    std::string bytes;

    bool operator==(const WireChunk&) const = default;
};

std::string EscapeWireBytes(std::string_view bytes);
// The bytes of an escaped text; nullopt when an escape is malformed.
std::optional<std::string> UnescapeWireBytes(std::string_view text);

// One trace line without its line end.
std::string FormatWireLine(const WireChunk& chunk);
// A chunk from one trace line (without its line end); nullopt when the line
// is not a chunk line.
std::optional<WireChunk> ParseWireLine(std::string_view line);

struct WireTraceText {
    std::vector<WireChunk> chunks;
    std::string error;  // "line N: reason" when a line was refused; chunks then incomplete
    // "line N: ..." when the last line had no line end and was not a whole
    // chunk line (the writer stopped mid-line): it is left out, the rest stands.
    std::string torn;
};

// Every chunk of a trace, skipping comments.
WireTraceText ParseWireTrace(std::istream& in);

// Where the serial layer reports its chunks. Record is called on the thread
// that wrote or read, right after the device call returned; it must not
// block for long.
class WireTraceSink {
public:
    virtual ~WireTraceSink() = default;
    virtual void Record(WireDirection direction, const unsigned char* bytes, int count) = 0;
};

// The installed sink; nullptr (the default) means no trace, at the cost of
// one pointer test per write and read.
WireTraceSink* InstalledWireTrace();

// Installs `sink` (nullptr switches the trace off) and returns the previous one.
WireTraceSink* InstallWireTrace(WireTraceSink* sink);
