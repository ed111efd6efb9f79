#include "sim/FaultTable.h"

#include "sim/TextCase.h"

namespace sim {

CommandFault& FaultTable::For(std::string_view request)
{
    return byRequest_[ToUpperAscii(request)];
}

CommandFault& FaultTable::ForAll()
{
    return all_;
}

CommandFault FaultTable::Lookup(std::string_view request) const
{
    CommandFault merged = all_;
    const auto found = byRequest_.find(ToUpperAscii(request));
    if (found == byRequest_.end())
        return merged;
    const CommandFault& own = found->second;
    merged.noAnswer = merged.noAnswer || own.noAnswer;
    merged.errorAnswer = merged.errorAnswer || own.errorAnswer;
    if (own.splitAt)
        merged.splitAt = own.splitAt;
    merged.extraDelayMs += own.extraDelayMs;
    return merged;
}

}  // namespace sim
