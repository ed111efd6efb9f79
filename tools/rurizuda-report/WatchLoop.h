#pragma once

#include <functional>

// Runs `once` now and then every `seconds` until SIGINT or SIGTERM arrives,
// waiting without a busy loop. The signals are held while `once` runs, so a
// page is never left half-written. Returns when a signal ended the wait; an
// exception from `once` ends the loop and passes on.
void RunEvery(int seconds, const std::function<void()>& once);
