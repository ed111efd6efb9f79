#include "bench/onekey/HeadlessWindow.h"

void HeadlessWindow::SetText(int id, const std::string& text)
{
    texts_[id] = text;
}

std::string HeadlessWindow::Text(int id) const
{
    const auto it = texts_.find(id);
    return it == texts_.end() ? std::string() : it->second;
}

void HeadlessWindow::SetEnabled(int id, bool enabled)
{
    if (enabled)
        disabled_.erase(id);
    else
        disabled_[id] = true;
}

void HeadlessWindow::MessageBox(const std::string& text, const std::string& caption, BoxIcon)
{
    boxes.push_back(caption + ": " + text);
}

void HeadlessWindow::StartTimer(int id, int periodMs)
{
    const auto period = std::chrono::milliseconds(periodMs);
    timers_[id] = {period, Clock::now() + period};
}

std::string HeadlessWindow::CurrentPort() const
{
    if (selected_ < 0 || selected_ >= PortCount())
        return "";
    return ports_[static_cast<size_t>(selected_)];
}

bool HeadlessWindow::NextTimer(int& id, Clock::time_point& due) const
{
    bool found = false;
    for (const auto& [timerId, timer] : timers_) {
        if (!found || timer.due < due) {
            id = timerId;
            due = timer.due;
            found = true;
        }
    }
    return found;
}

void HeadlessWindow::Fired(int id)
{
    const auto it = timers_.find(id);
    if (it != timers_.end())
        it->second.due += it->second.period;
}
