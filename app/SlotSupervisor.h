#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

#include <QEventLoop>
#include <QObject>
#include <QPoint>

#include "app/RestartBudget.h"
#include "app/SlotLauncher.h"

class QMessageBox;
class QSocketNotifier;

// Watches the stations of the slots: a station that ended abnormally (a
// signal, a status other than 0) is started again after
// RestartBudget::kRestartDelay, within its slot's budget; when the budget is
// spent a box names the slot and the reason. A station ended by its operator
// (status 0) stays ended. SIGTERM, SIGINT and SIGHUP taken by the launcher
// are passed on to the stations, and then none is started again. Each
// station ends when the launcher ends (PR_SET_PDEATHSIG), even when the
// launcher died before the station could ask for that.
//
// Stations are watched through process descriptors and the signals through
// a signal descriptor, both on the Qt event loop: the launcher waits without
// a timer of its own and without a signal handler.
class SlotSupervisor : public QObject {
    Q_OBJECT
public:
    SlotSupervisor(SlotLaunch launch, const LauncherSignals& held);
    ~SlotSupervisor() override;
    SlotSupervisor(const SlotSupervisor&) = delete;
    SlotSupervisor& operator=(const SlotSupervisor&) = delete;

    // Starts the station of `slot` with its window at `at`, at `scale`.
    void Start(const SlotStart& slot, const QPoint& at, double scale);

    // Runs until every station has ended for good and every box is closed.
    // 0 when every station ended with status 0 and none failed to start.
    int Run();

    // The boxes shown for slots that are not started again.
    const std::vector<QMessageBox*>& Boxes() const { return boxes_; }

private:
    struct Station;

    void Spawn(Station& station);
    void OnEnded(Station& station);
    void OnRestartDue(Station& station);
    void OnSignal();
    void GiveUp(Station& station, const std::string& reason);
    void QuitWhenDone();

    SlotLaunch launch_;
    int signals_ = -1;  // signal descriptor of the held signals
    QSocketNotifier* signalNotifier_ = nullptr;
    std::vector<std::unique_ptr<Station>> stations_;
    std::vector<QMessageBox*> boxes_;
    QEventLoop loop_;
    bool ending_ = false;  // a signal was passed on: start nothing again
    bool failed_ = false;
};
