#include "tests/support/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <stdexcept>

#include <poll.h>
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
    kill(pid_, signal);
    waitpid(pid_, nullptr, 0);
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

ProgramRun RunProgram(const std::vector<std::string>& argv)
{
    int out = -1;
    const int pid = Spawn(argv, out);
    ProgramRun run;
    char buffer[512];
    for (ssize_t n; (n = read(out, buffer, sizeof buffer)) > 0;)
        run.out.append(buffer, static_cast<size_t>(n));
    close(out);
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
