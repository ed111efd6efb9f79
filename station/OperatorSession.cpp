#include "station/OperatorSession.h"

#include <algorithm>
#include <utility>

std::string OperatorSession::SignIn(const std::string& badge, int64_t nowMs)
{
    lastActiveMs_ = nowMs;
    return std::exchange(badge_, badge);
}

std::string OperatorSession::SignOut()
{
    return std::exchange(badge_, "");
}

void OperatorSession::UnitStored(int64_t nowMs)
{
    lastActiveMs_ = nowMs;
}

int64_t OperatorSession::IdleLeftMs(int64_t nowMs) const
{
    if (!SignedIn())
        return 0;
    return std::max<int64_t>(0, lastActiveMs_ + idleLimitMs_ - nowMs);
}
