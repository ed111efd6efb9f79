#include "sim/WireLog.h"

#include <cstdio>

namespace sim {

std::string EscapeForLog(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        switch (c) {
        case '\r': text += "\\r"; break;
        case '\n': text += "\\n"; break;
        case '\t': text += "\\t"; break;
        case '\\': text += "\\\\"; break;
        default: {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte >= 0x7f) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02x", byte);
                text += hex;
            } else {
                text += c;
            }
        }
        }
    }
    return text;
}

}  // namespace sim
