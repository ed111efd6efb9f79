#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "station/StationWindow.h"

// A window without pixels for measuring the controller: it keeps texts,
// runs the window timers from its own loop and notes the time each text
// was set.
class HeadlessWindow final : public StationWindow {
public:
    using Clock = std::chrono::steady_clock;

    void SetText(int id, const std::string& text) override;
    std::string Text(int id) const override;
    void SetVisible(int, bool) override {}
    bool IsVisible(int) const override { return true; }
    void SetEnabled(int id, bool enabled) override;
    bool IsEnabled(int id) const override { return !disabled_.count(id); }
    void SetPicture(int, Picture) override {}
    void RepaintNow() override {}
    void SetFocus(int) override {}
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon) override;
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override { timers_.erase(id); }
    void ClearPorts() override { ports_.clear(); }
    void AddPort(const std::string& name) override { ports_.push_back(name); }
    void SelectPort(int index) override { selected_ = index; }
    std::string CurrentPort() const override;
    int PortCount() const override { return static_cast<int>(ports_.size()); }

    bool Running(int id) const { return timers_.count(id) != 0; }
    // The timer due next and when; false when none runs.
    bool NextTimer(int& id, Clock::time_point& due) const;
    // Marks the timer as fired at its due time; the next tick is one period later.
    void Fired(int id);

    std::vector<std::string> boxes;

private:
    struct Timer {
        Clock::duration period;
        Clock::time_point due;
    };
    std::map<int, std::string> texts_;
    std::map<int, bool> disabled_;
    std::map<int, Timer> timers_;
    std::vector<std::string> ports_;
    int selected_ = -1;
};
