#pragma once

#include <functional>

// Runs `once` now and then every `seconds` until SIGINT or SIGTERM arrives,
// waiting without a busy loop. The signals are taken by a thread of their
// own, at any moment: it calls `interrupt` at once, so a period that waits on
// its source ends within a second, and then the loop ends after `once` has
// returned (or thrown). A page being written is finished first, so it is
// never left half-written. Returns when a signal ended the loop; an
// exception from `once` while no signal came ends the loop and passes on.
void RunEvery(int seconds, const std::function<void()>& once, const std::function<void()>& interrupt);
