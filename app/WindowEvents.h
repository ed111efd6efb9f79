#pragma once

class CRuriZudaDlg;

// Where the main window sends what the operator does.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // A button other than OK and EXIT was clicked.
    virtual void OnCommand(int controlId) = 0;
    // A window timer started with StartTimer ticked.
    virtual void OnTimer(int timerId) = 0;
    // Enter was pressed in a scan field; true when the key was used.
    virtual bool OnEnterKey(int focusedControl) = 0;
    // The device-notification descriptor given to the window is readable.
    virtual void OnDeviceNotification() = 0;
    // The window has ended (OK, EXIT, Esc or the close box).
    virtual void OnDestroy() = 0;
    // The window is shown for the first time, before it takes the focus.
    virtual void OnFirstMessage() {}
};

// The station controller as the window's receiver.
class ControllerEvents final : public WindowEvents {
public:
    explicit ControllerEvents(CRuriZudaDlg& controller)
        : controller_(controller)
    {
    }
    void OnCommand(int controlId) override;
    void OnTimer(int timerId) override;
    bool OnEnterKey(int focusedControl) override;
    void OnDeviceNotification() override;
    void OnDestroy() override;
    void OnFirstMessage() override;

private:
    CRuriZudaDlg& controller_;
};
