#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <stdexcept>

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<char*> Args(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    return args;
}

// Forks `argv` with its standard output on a pipe; returns the pid.
int Spawn(const std::vector<std::string>& argv, int& readEnd)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    auto args = Args(argv);
    const int pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    readEnd = fds[0];
    return pid;
}

using Clock = std::chrono::steady_clock;

int MillisecondsUntil(Clock::time_point until)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until `pid` has ended or `until` has come; true with its status when
// it ended.
bool WaitUntil(int pid, Clock::time_point until, int& status)
{
    // A descriptor that becomes readable when the process ends.
    const int ended = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (ended < 0)
        return waitpid(pid, &status, 0) == pid;  // no way to bound the wait
    pollfd pfd {ended, POLLIN, 0};
    while (poll(&pfd, 1, MillisecondsUntil(until)) < 0 && errno == EINTR) {
    }
    close(ended);
    return waitpid(pid, &status, WNOHANG) == pid;
}

// Ends `pid` with `signal`, and with SIGKILL if it is still there after
// kChildEndWait; its status.
int End(int pid, int signal)
{
    int status = 0;
    kill(pid, signal);
    if (!WaitUntil(pid, Clock::now() + kChildEndWait, status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    return status;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv)
{
    pid_ = Spawn(argv, stdout_);
}

ChildProcess::~ChildProcess()
{
    Kill(SIGTERM);
    if (stdout_ >= 0)
        close(stdout_);
}

void ChildProcess::Kill(int signal)
{
    if (pid_ <= 0)
        return;
    End(pid_, signal);
    pid_ = -1;
}

std::string ChildProcess::ReadLine(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto nl = pending_.find('\n');
        if (nl != std::string::npos) {
            std::string line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd pfd {stdout_, POLLIN, 0};
        if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
            return "";
        char buffer[256];
        const ssize_t n = read(stdout_, buffer, sizeof buffer);
        if (n <= 0)
            return "";
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

ProgramRun RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds deadline)
{
    const auto until = Clock::now() + deadline;
    int out = -1;
    const int pid = Spawn(argv, out);
    ProgramRun run;
    bool ended = false;  // its standard output, that is
    while (!ended) {
        pollfd pfd {out, POLLIN, 0};
        const int ready = poll(&pfd, 1, MillisecondsUntil(until));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[512];
        const ssize_t n = read(out, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ended = true;
        else
            run.out.append(buffer, static_cast<size_t>(n));
    }
    close(out);
    int status = 0;
    if (!ended || !WaitUntil(pid, until, status)) {
        End(pid, SIGKILL);
        run.timedOut = true;
        ADD_FAILURE() << argv.at(0) << " did not end within " << deadline.count() << " ms and was killed; it wrote: "
                      << run.out;
        return run;
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
