#include "tests/support/PseudoTerminal.h"

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

void PseudoTerminal::Send(std::string_view bytes)
{
    const int master = terminal_.MasterFd();
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        pollfd pfd {master, POLLOUT, 0};
        if ((n < 0 && errno != EAGAIN) || poll(&pfd, 1, 1000) <= 0)
            throw std::runtime_error("cannot write to the pseudo-terminal");
    }
}

std::string PseudoTerminal::Receive(size_t count, int timeoutMs)
{
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd {terminal_.MasterFd(), POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buffer[512];
        const ssize_t n = read(terminal_.MasterFd(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

bool PseudoTerminal::WaitQueued(int handle, size_t count, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int queued = 0;
        if (ioctl(handle, FIONREAD, &queued) == 0 && static_cast<size_t>(queued) >= count)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
