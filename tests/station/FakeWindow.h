#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "station/StationWindow.h"

// A window that records what the controller does to it. Controls start
// visible and enabled with empty texts; `events` keeps the order of the
// operator-visible changes, e.g. "box WARNING warning: NO COM!",
// "picture 1029 fail", "text 1022 Start Operation !".
class FakeWindow final : public StationWindow {
public:
    struct Box {
        std::string text;
        std::string caption;
        BoxIcon icon;
    };

    void SetText(int id, const std::string& text) override;
    std::string Text(int id) const override;
    void SetVisible(int id, bool visible) override;
    bool IsVisible(int id) const override;
    void SetEnabled(int id, bool enabled) override;
    bool IsEnabled(int id) const override;
    void SetPicture(int id, Picture picture) override;
    void RepaintNow() override { ++repaints; }
    void SetFocus(int id) override { focus = id; }
    void BringToFront() override { events.push_back("front"); }
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;
    void ClearPorts() override;
    void AddPort(const std::string& name) override;
    void SelectPort(int index) override;
    std::string CurrentPort() const override;
    int PortCount() const override { return static_cast<int>(ports.size()); }
    void SetStatusNote(const std::string& note) override { statusNote = note; }

    Picture PictureOf(int id) const;

    std::map<int, std::string> texts;
    std::set<int> hidden;
    std::set<int> disabled;
    std::map<int, Picture> pictures;
    std::vector<Box> boxes;
    std::map<int, int> timers;  // running timers and their periods
    std::vector<std::string> ports;
    int selectedPort = -1;
    int focus = 0;
    int repaints = 0;
    std::string statusNote;
    std::vector<std::string> events;
    // Runs while a box is open, before the operator presses OK.
    std::function<void(const Box&)> whileBoxOpen;
};

const char* PictureName(Picture picture);
