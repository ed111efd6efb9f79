#include "station/ProgramRunner.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Where the child keeps the pipe that reports a failed exec to the parent.
constexpr int kReportFd = 3;
constexpr int kExecFailedStatus = 127;

// A descriptor closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    void Reset(int fd)
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = fd;
    }
    void Close() { Reset(-1); }

private:
    int fd_ = -1;
};

struct Pipe {
    Descriptor read;
    Descriptor write;
};

bool OpenPipe(Pipe& pipe)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    pipe.read.Reset(fds[0]);
    pipe.write.Reset(fds[1]);
    return true;
}

std::string ErrorText(int error)
{
    return std::strerror(error);
}

// In the child after fork: only async-signal-safe calls from here on.
[[noreturn]] void StartChild(char* const* args, int input, int output, int report)
{
    setpgid(0, 0);
    const bool wired = dup2(input, STDIN_FILENO) >= 0 && dup2(output, STDOUT_FILENO) >= 0
                       && (report == kReportFd || dup2(report, kReportFd) >= 0);
    if (wired) {
        fcntl(kReportFd, F_SETFD, FD_CLOEXEC);
        close_range(kReportFd + 1, ~0U, 0);  // the serial port and the rest of the station's
        execv(args[0], args);
    }
    const int error = errno;
    [[maybe_unused]] const ssize_t written = write(wired ? kReportFd : report, &error, sizeof error);
    _exit(kExecFailedStatus);
}

// The errno of a failed exec, or 0 once the program runs (the report pipe
// closes at exec).
int ExecError(int reportRead)
{
    int error = 0;
    ssize_t n;
    do
        n = read(reportRead, &error, sizeof error);
    while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

enum class ReadResult { More, NothingNow, End };

// Appends what is readable, beyond the limit only draining the pipe.
ReadResult ReadSome(int fd, std::string& output)
{
    char buffer[512];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
        return ReadResult::More;
    if (n < 0 && errno == EAGAIN)
        return ReadResult::NothingNow;
    if (n <= 0)
        return ReadResult::End;
    const std::size_t room = ProgramRunner::kOutputLimit - std::min(output.size(), ProgramRunner::kOutputLimit);
    output.append(buffer, std::min(static_cast<std::size_t>(n), room));
    return ReadResult::More;
}

// A descriptor that becomes readable when the process ends. Called through
// syscall: this C library's header declares pidfd_open without C linkage.
int PidDescriptor(pid_t pid)
{
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

int Reap(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

void Kill(pid_t pid)
{
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);  // in case it had not yet its own group
    Reap(pid);
}

}  // namespace

ProgramOutcome ProgramRunner::Run(const std::vector<std::string>& argv) const
{
    ProgramOutcome outcome;
    if (argv.empty() || argv.front().empty()) {
        outcome.error = "no program named";
        return outcome;
    }
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    Pipe output;
    Pipe report;
    const Descriptor input(open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (input.Get() < 0 || !OpenPipe(output) || !OpenPipe(report)) {
        outcome.error = ErrorText(errno);
        return outcome;
    }
    const auto deadline = Clock::now() + limit_;
    const pid_t pid = fork();
    if (pid < 0) {
        outcome.error = ErrorText(errno);
        return outcome;
    }
    if (pid == 0)
        StartChild(args.data(), input.Get(), output.write.Get(), report.write.Get());
    setpgid(pid, pid);
    output.write.Close();
    report.write.Close();

    if (const int error = ExecError(report.read.Get())) {
        Reap(pid);
        outcome.error = ErrorText(error);
        return outcome;
    }
    const Descriptor exited(PidDescriptor(pid));
    if (exited.Get() < 0) {
        outcome.error = ErrorText(errno);
        Kill(pid);
        return outcome;
    }

    // Collect its output until it ends; a program that leaves a child of its
    // own holding the pipe open still ends here.
    bool open = true;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            Kill(pid);
            outcome.ending = ProgramOutcome::Ending::TimedOut;
            return outcome;
        }
        pollfd watched[] = {{exited.Get(), POLLIN, 0}, {open ? output.read.Get() : -1, POLLIN, 0}};
        if (poll(watched, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            outcome.error = ErrorText(errno);
            Kill(pid);
            return outcome;
        }
        if (watched[1].revents != 0)
            open = ReadSome(output.read.Get(), outcome.output) != ReadResult::End;
        if (watched[0].revents != 0)
            break;
    }
    // What it wrote just before it ended (a helper it left behind may go
    // on writing: it is not waited for).
    fcntl(output.read.Get(), F_SETFL, O_NONBLOCK);
    while (open && outcome.output.size() < kOutputLimit
           && ReadSome(output.read.Get(), outcome.output) == ReadResult::More) {
    }
    const int status = Reap(pid);
    if (WIFSIGNALED(status)) {
        outcome.ending = ProgramOutcome::Ending::Signalled;
        outcome.status = WTERMSIG(status);
    } else {
        outcome.ending = ProgramOutcome::Ending::Exited;
        outcome.status = WEXITSTATUS(status);
    }
    return outcome;
}
