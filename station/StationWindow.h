#pragma once

#include <string>

// Pictures an indicator can show.
enum class Picture {
    None,       // nothing (start-up)
    Going,      // "GOING", black on dark green
    Success,    // "SUCCESS", black on bright green
    Fail,       // "FAIL", black on red
    Blank,      // plain yellow field
    GreenDisc,  // unit present
    RedDisc,    // no unit
};

// Icons of the operator's message boxes.
enum class BoxIcon {
    Warning,   // exclamation
    Stop,      // hand / error
    None,      // no icon
};

// The window as the controller sees it: controls addressed by their IDs
// (station/ControlIds.h). The Qt window implements it over real widgets;
// tests implement it with a recording fake.
class StationWindow {
public:
    virtual ~StationWindow() = default;

    // Texts of edits, labels and buttons.
    virtual void SetText(int id, const std::string& text) = 0;
    virtual std::string Text(int id) const = 0;
    virtual void SetVisible(int id, bool visible) = 0;
    virtual bool IsVisible(int id) const = 0;
    virtual void SetEnabled(int id, bool enabled) = 0;
    virtual bool IsEnabled(int id) const = 0;
    virtual void SetPicture(int id, Picture picture) = 0;
    // Paints pending changes now: the thread blocks in the serial layer next.
    virtual void RepaintNow() = 0;
    // Moves the keyboard focus to the control.
    virtual void SetFocus(int id) = 0;

    // A modal box with one OK button; returns when the operator pressed it.
    virtual void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) = 0;

    // Window timers; ticks come back as the controller's OnTimer(id).
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;

    // The port list.
    virtual void ClearPorts() = 0;
    virtual void AddPort(const std::string& name) = 0;
    virtual void SelectPort(int index) = 0;
    virtual std::string CurrentPort() const = 0;
    virtual int PortCount() const = 0;

    // Raises the window above the others and activates it (a unit has
    // arrived in this station's slot).
    virtual void BringToFront() {}

    // A short note in the window's title (the MES hand-off's waiting
    // count); "" removes it.
    virtual void SetStatusNote(const std::string& /*note*/) {}

    // Device notifications: the window watches the descriptor and calls the
    // controller's OnDeviceNotification when it is readable.
    virtual void WatchDeviceNotifications(int /*descriptor*/) {}
    virtual void UnwatchDeviceNotifications() {}
};

// Caption of the application's plain message boxes (OK, exclamation icon).
inline constexpr const char* kApplicationName = "RuriZuda";
