#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include <QDialog>

#include "app/IndicatorArt.h"
#include "app/SlotState.h"
#include "app/WindowEvents.h"
#include "app/WindowTemplate.h"
#include "station/StationWindow.h"

class CRuriZudaDlg;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QSocketNotifier;
class QTimer;

// The station's main window: the controls of the window template over Qt
// widgets. Button clicks, scan-field Enter keys and timer ticks go to the
// attached receiver (the controller), and so does a readable device-notification
// descriptor. OK ends the window with Accepted, EXIT, Esc and the close box
// with Rejected.
class QtStationWindow : public QDialog, public StationWindow {
    Q_OBJECT
public:
    // `scale` below 1 makes the window smaller (StationFont).
    explicit QtStationWindow(QWidget* parent = nullptr, double scale = 1.0);
    ~QtStationWindow() override;

    // The receiver of the window's events. Until one is attached the
    // events are dropped.
    void Attach(CRuriZudaDlg& controller);
    void Attach(WindowEvents& events);

    // StationWindow
    void SetText(int id, const std::string& text) override;
    std::string Text(int id) const override;
    void SetVisible(int id, bool visible) override;
    bool IsVisible(int id) const override;
    void SetEnabled(int id, bool enabled) override;
    bool IsEnabled(int id) const override;
    void SetPicture(int id, Picture picture) override;
    void RepaintNow() override;
    void SetFocus(int id) override;
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
    void StartTimer(int id, int periodMs) override;
    void StopTimer(int id) override;
    void ClearPorts() override;
    void AddPort(const std::string& name) override;
    void SelectPort(int index) override;
    std::string CurrentPort() const override;
    int PortCount() const override;
    void BringToFront() override;
    void SetStatusNote(const std::string& note) override;
    void WatchDeviceNotifications(int descriptor) override;
    void UnwatchDeviceNotifications() override;

    // The window of a slot: the slot number in the title and, with
    // `label`, in large letters in the corner at the bottom right, which
    // only the writing station's options use, over the slot's state
    // (SlotState): PASS on green, FAIL on red.
    void ShowSlot(int slot, bool label = true);
    QLabel* SlotLabel() const { return slotLabel_; }

    // Ends the window and tells the receiver.
    void done(int result) override;

    // The widget of a control, or nullptr for an unknown ID.
    QWidget* Control(int id) const;
    // The control ID of a widget; 0 for a plain label or a foreign widget.
    int ControlIdOf(const QWidget* widget) const;
    // The window menu (right mouse button on the window) and its about item,
    // which F1 also triggers.
    QMenu* WindowMenu() const { return windowMenu_; }
    QAction* AboutAction() const { return aboutAction_; }
    void ShowAboutBox();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls();
    void BuildTabOrder();
    void BuildWindowMenu();
    QWidget* MakeWidget(const ControlTemplate& control);
    void OnButton(int id);
    void OnEnterKey();
    QComboBox* PortList() const;
    void ShowSlotState();

    std::map<int, QWidget*> controls_;
    std::map<const QWidget*, int> ids_;
    std::map<int, int> timers_;  // window timer ID -> Qt timer ID
    IndicatorArt art_;
    std::unique_ptr<ControllerEvents> controllerEvents_;
    WindowEvents* events_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QAction* aboutAction_ = nullptr;
    QSocketNotifier* deviceNotifier_ = nullptr;
    bool shown_ = false;
    QLabel* slotLabel_ = nullptr;
    int slot_ = 0;
    std::optional<SlotState> slotState_;  // with the slot label
    QTimer* slotClock_ = nullptr;         // the seconds of a test under way
    QString baseTitle_;  // the title without the status note
};
