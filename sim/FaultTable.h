#pragma once

#include "sim/CommandFault.h"

#include <map>
#include <string>
#include <string_view>

namespace sim {

// Faults keyed by request text (without "AT"), compared case-insensitively,
// plus one fault that applies to every request.
class FaultTable {
public:
    // The fault for exactly this request text, created empty on first use.
    CommandFault& For(std::string_view request);
    // The fault applied to every request.
    CommandFault& ForAll();

    // What applies to a request: the flags of both entries, the request's own
    // split offset before the common one, and the sum of both delays.
    CommandFault Lookup(std::string_view request) const;

private:
    std::map<std::string, CommandFault> byRequest_;
    CommandFault all_;
};

}  // namespace sim
