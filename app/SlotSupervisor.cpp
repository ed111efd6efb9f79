#include "app/SlotSupervisor.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>

#include "station/StationWindow.h"

namespace {

// What a station gets when its launcher ends.
constexpr int kLauncherGoneSignal = SIGTERM;
// The status of a station process that found its launcher gone before it
// could run, or could not run the station's program.
constexpr int kOrphanedStatus = 125;
constexpr int kCannotRunStatus = 127;

// A descriptor that becomes readable when the process ends (called
// directly: not every C library has the wrapper).
int OpenProcessDescriptor(pid_t pid)
{
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

std::string WhyNotStartedAgain(int slot, const std::string& reason)
{
    return "The station of slot " + std::to_string(slot) + " " + reason + ". It was started again " +
           std::to_string(RestartBudget::kMostRestarts) + " times within " +
           std::to_string(RestartBudget::kRestartWindow.count()) +
           " minutes and is not started again; its log is slot-" + std::to_string(slot) + "/writelog.txt.";
}

}  // namespace

struct SlotSupervisor::Station {
    SlotStart start;
    std::vector<std::string> arguments;
    pid_t pid = -1;
    int pidfd = -1;
    QSocketNotifier* notifier = nullptr;
    RestartBudget budget;
    bool restartDue = false;  // ended abnormally, to be started again
};

SlotSupervisor::SlotSupervisor(SlotLaunch launch, const LauncherSignals& held)
    : launch_(std::move(launch))
{
    signals_ = signalfd(-1, &held.Waited(), SFD_CLOEXEC | SFD_NONBLOCK);
    if (signals_ < 0) {
        std::fprintf(stderr, "rurizuda: cannot take the launcher's signals: %s\n", std::strerror(errno));
        return;
    }
    signalNotifier_ = new QSocketNotifier(signals_, QSocketNotifier::Read, this);
    connect(signalNotifier_, &QSocketNotifier::activated, this, &SlotSupervisor::OnSignal);
}

SlotSupervisor::~SlotSupervisor()
{
    for (const auto& station : stations_) {
        if (station->pidfd >= 0)
            close(station->pidfd);
    }
    for (QMessageBox* box : boxes_)
        delete box;
    if (signals_ >= 0)
        close(signals_);
}

void SlotSupervisor::Start(const SlotStart& slot, const QPoint& at, double scale)
{
    auto station = std::make_unique<Station>();
    station->start = slot;
    station->arguments = SlotStationArguments(launch_, slot, at, scale);
    station->arguments.insert(station->arguments.begin(), launch_.program);
    Spawn(*station);
    stations_.push_back(std::move(station));
}

// fork and exec rather than posix_spawn: the child asks for the launcher's
// end as its own before it runs the station. Only async-signal-safe calls
// come between the two: the launcher has threads (Qt's).
void SlotSupervisor::Spawn(Station& station)
{
    std::vector<char*> argv = Pointers(station.arguments);
    const pid_t launcher = getpid();
    sigset_t none;
    sigemptyset(&none);
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, kLauncherGoneSignal);
        // The launcher may have died before the call: then nothing would
        // ever send the signal, and the station would run unsupervised.
        if (getppid() != launcher)
            _exit(kOrphanedStatus);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execv(argv[0], argv.data());
        _exit(kCannotRunStatus);
    }
    if (pid < 0) {
        std::fprintf(stderr, "rurizuda: cannot start the station of slot %d: %s\n", station.start.slot,
                     std::strerror(errno));
        failed_ = true;
        return;
    }
    station.pid = pid;
    station.pidfd = OpenProcessDescriptor(pid);
    if (station.pidfd < 0) {
        // Without a descriptor the station cannot be watched: end it rather
        // than leave it unsupervised.
        std::fprintf(stderr, "rurizuda: cannot watch the station of slot %d: %s\n", station.start.slot,
                     std::strerror(errno));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        station.pid = -1;
        failed_ = true;
        return;
    }
    station.notifier = new QSocketNotifier(station.pidfd, QSocketNotifier::Read, this);
    connect(station.notifier, &QSocketNotifier::activated, this, [this, &station] { OnEnded(station); });
}

void SlotSupervisor::OnEnded(Station& station)
{
    int status = 0;
    if (waitpid(station.pid, &status, WNOHANG) != station.pid)
        return;  // not ended after all
    station.notifier->setEnabled(false);
    station.notifier->deleteLater();
    station.notifier = nullptr;
    close(station.pidfd);
    station.pidfd = -1;
    station.pid = -1;
    if (!EndedAbnormally(status)) {
        QuitWhenDone();
        return;
    }
    failed_ = true;
    const std::string reason = EndReason(status);
    std::fprintf(stderr, "rurizuda: the station of slot %d %s\n", station.start.slot, reason.c_str());
    if (ending_) {
        QuitWhenDone();
        return;
    }
    if (!station.budget.TakeRestart(RestartBudget::Clock::now())) {
        GiveUp(station, reason);
        return;
    }
    station.restartDue = true;
    QTimer::singleShot(RestartBudget::kRestartDelay, this, [this, &station] { OnRestartDue(station); });
}

void SlotSupervisor::OnRestartDue(Station& station)
{
    station.restartDue = false;
    if (!ending_) {
        std::fprintf(stderr, "rurizuda: starting the station of slot %d again\n", station.start.slot);
        Spawn(station);
    }
    QuitWhenDone();
}

void SlotSupervisor::GiveUp(Station& station, const std::string& reason)
{
    const std::string text = WhyNotStartedAgain(station.start.slot, reason);
    std::fprintf(stderr, "rurizuda: %s\n", text.c_str());
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromUtf8(kApplicationName),
                                QString::fromStdString(text), QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    box->setModal(false);
    connect(box, &QMessageBox::finished, this, [this, box] {
        std::erase(boxes_, box);
        box->deleteLater();
        QuitWhenDone();
    });
    boxes_.push_back(box);
    box->show();
}

void SlotSupervisor::OnSignal()
{
    signalfd_siginfo info {};
    while (read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        ending_ = true;
        for (const auto& station : stations_) {
            if (station->pid > 0)
                kill(station->pid, static_cast<int>(info.ssi_signo));
        }
    }
    // Ending: a box no longer waits for the operator.
    if (ending_) {
        for (QMessageBox* box : std::vector<QMessageBox*>(boxes_))
            box->done(QMessageBox::Ok);
    }
    QuitWhenDone();
}

// Done when no station runs, none waits for its restart and no box is open.
void SlotSupervisor::QuitWhenDone()
{
    for (const auto& station : stations_) {
        if (station->pid > 0 || station->restartDue)
            return;
    }
    if (!boxes_.empty())
        return;
    loop_.quit();
}

int SlotSupervisor::Run()
{
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);  // a closed box is not the launcher's end
    bool anyRunning = false;
    for (const auto& station : stations_)
        anyRunning = anyRunning || station->pid > 0;
    if (anyRunning)
        loop_.exec();
    QApplication::setQuitOnLastWindowClosed(quitOnClose);
    return failed_ ? 1 : 0;
}
