#pragma once

#include <cstdint>
#include <string>

// Who is signed in at the station, and how long the station may stand
// without a stored unit before the operator is signed out. Times are
// milliseconds on the station's clock (link/Clock.h), so tests run it in
// virtual time.
class OperatorSession {
public:
    void SetIdleLimitMs(int64_t idleLimitMs) { idleLimitMs_ = idleLimitMs; }
    int64_t IdleLimitMs() const { return idleLimitMs_; }

    bool SignedIn() const { return !badge_.empty(); }
    const std::string& Badge() const { return badge_; }

    // Signs `badge` in at `nowMs` (the idle time starts again); the badge
    // signed in before, "" when nobody was.
    std::string SignIn(const std::string& badge, int64_t nowMs);
    // Signs whoever is signed in out; their badge, "" when nobody was.
    std::string SignOut();
    // A unit was stored at `nowMs`: the idle time starts again.
    void UnitStored(int64_t nowMs);
    // How long the operator stays signed in without a stored unit, counted
    // from `nowMs`; 0 when the idle limit has been reached. 0 when nobody is
    // signed in.
    int64_t IdleLeftMs(int64_t nowMs) const;

private:
    std::string badge_;
    int64_t lastActiveMs_ = 0;  // sign-in or the latest stored unit
    int64_t idleLimitMs_ = 0;
};
