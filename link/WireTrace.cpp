#include "link/WireTrace.h"

#include <charconv>
#include <istream>

namespace {

WireTraceSink* installedSink = nullptr;

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7e;

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string EscapeWireBytes(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 4);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool trailingSpace = byte == ' ' && i + 1 == bytes.size();
        if (byte == '\r') {
            text += "\\r";
        } else if (byte == '\n') {
            text += "\\n";
        } else if (byte == '\\') {
            text += "\\\\";
        } else if (byte < kFirstPrintable || byte > kLastPrintable || trailingSpace) {
            text += "\\x";
            text += kHexDigits[byte >> 4];
            text += kHexDigits[byte & 0xf];
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text;
}

std::optional<std::string> UnescapeWireBytes(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'r': bytes += '\r'; break;
        case 'n': bytes += '\n'; break;
        case '\\': bytes += '\\'; break;
        case 'x': {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return bytes;
}

std::string FormatWireLine(const WireChunk& chunk)
{
    std::string line = std::to_string(chunk.ms);
    line += ' ';
    line += chunk.direction == WireDirection::Sent ? kWireSentMark : kWireReceivedMark;
    line += ' ';
    line += EscapeWireBytes(chunk.bytes);
    return line;
}

std::optional<WireChunk> ParseWireLine(std::string_view line)
{
    WireChunk chunk;
    const char* end = line.data() + line.size();
    const auto [afterMs, ec] = std::from_chars(line.data(), end, chunk.ms);
    if (ec != std::errc() || afterMs == line.data())
        return std::nullopt;
    std::string_view rest(afterMs, static_cast<size_t>(end - afterMs));
    if (rest.size() < kWireSentMark.size() + 2 || rest.front() != ' ' || rest[kWireSentMark.size() + 1] != ' ')
        return std::nullopt;
    const std::string_view mark = rest.substr(1, kWireSentMark.size());
    if (mark == kWireSentMark)
        chunk.direction = WireDirection::Sent;
    else if (mark == kWireReceivedMark)
        chunk.direction = WireDirection::Received;
    else
        return std::nullopt;
    std::optional<std::string> bytes = UnescapeWireBytes(rest.substr(kWireSentMark.size() + 2));
    if (!bytes || bytes->empty())
        return std::nullopt;
    chunk.bytes = std::move(*bytes);
    return chunk;
}

WireTraceText ParseWireTrace(std::istream& in)
{
    WireTraceText trace;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();  // a trace that went through a Windows editor
        if (line.empty() || line.front() == '#')
            continue;
        std::optional<WireChunk> chunk = ParseWireLine(line);
        if (!chunk && in.eof()) {
            trace.torn = "line " + std::to_string(number) + ": torn last line left out";
            return trace;
        }
        if (!chunk) {
            trace.error = "line " + std::to_string(number) + ": not \"<ms> --> bytes\" or \"<ms> <-- bytes\"";
            return trace;
        }
        trace.chunks.push_back(std::move(*chunk));
    }
    return trace;
}

WireTraceSink* InstalledWireTrace()
{
    return installedSink;
}

WireTraceSink* InstallWireTrace(WireTraceSink* sink)
{
    WireTraceSink* previous = installedSink;
    installedSink = sink;
    return previous;
}
