#include "sim/LineAssembler.h"

namespace sim {

std::vector<std::string> LineAssembler::Feed(std::string_view bytes)
{
    std::vector<std::string> lines;
    for (const char c : bytes) {
        const bool lfOfCrLf = c == '\n' && afterCr_;
        afterCr_ = c == '\r';
        if (lfOfCrLf)
            continue;
        if (c == '\r' || c == '\n') {
            if (!overlong_)
                lines.push_back(std::move(pending_));
            pending_.clear();
            overlong_ = false;
            continue;
        }
        if (overlong_)
            continue;
        if (pending_.size() == kMaxRequestLineLength) {
            pending_.clear();
            overlong_ = true;
            continue;
        }
        pending_.push_back(c);
    }
    return lines;
}

}  // namespace sim
