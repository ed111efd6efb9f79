#pragma once

#include <cstdint>

#include "station/StatusKinds.h"

// How one guarded operation reports: its indicator kinds, its messages, its
// failure bit and which steps of the frame it leaves out.
struct OperationSpec {
    KindTriple kinds = kMainKinds;
    const char* successMessage = nullptr;  // nullptr: no success report
    const char* failureMessage = nullptr;
    uint32_t failureBit = 0;               // 0: no bit
    bool connect = true;                   // talks to the unit
    bool startReport = true;               // "Start Operation !" after connecting
    bool disconnect = true;                // closes the port at the end
};

inline constexpr const char* kBusyMessage = "The other operation is in process!";
inline constexpr const char* kStartMessage = "Start Operation !";
inline constexpr const char* kConnectFailedStatus = "Fail to connect target,please try again.";
inline constexpr const char* kNoComMessage = "NO COM!";
inline constexpr const char* kConnectFailedBox = "Fail to connect target!  Please try again!";
inline constexpr const char* kWarningCaption = "WARNING";
inline constexpr int kConnectAttempts = 11;
