#pragma once

#include "link/SerialBackend.h"

// The station's one connection to the unit. 0 means no port is open.
extern SerialHandle AtPort;

inline constexpr int kAtBaudRate = 115200;
inline constexpr int kBeforeOpenMs = 50;   // settle time before opening
inline constexpr int kAfterOpenMs = 91;    // settle time after opening
inline constexpr int kBeforeCloseMs = 50;
inline constexpr int kAfterCloseMs = 91;

// Closes a port that is still open (without delays), waits 50 ms, opens
// `path` at 115200 baud and waits 91 ms. 1 opened; 0 failed, no port open.
int AtPortOpen(const char* path);

// When a port is open: waits 50 ms, closes it, waits 91 ms.
void AtPortClose();
