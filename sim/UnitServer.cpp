#include "sim/UnitServer.h"

#include "sim/PseudoTerminal.h"
#include "sim/StopSignals.h"
#include "sim/UnitBehaviour.h"

#include "link/WireTrace.h"

#include <array>
#include <cerrno>
#include <ostream>
#include <system_error>

#include <poll.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr std::size_t kReadBufferSize = 4096;
constexpr std::string_view kRequestMark = "--> ";
constexpr std::string_view kReplyMark = "<-- ";

[[noreturn]] void Fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

UnitServer::UnitServer(PseudoTerminal& terminal, UnitBehaviour& unit, const StopSignals& stop,
                       ServerOptions options, std::ostream& log)
    : terminal_(terminal)
    , unit_(unit)
    , stop_(stop)
    , options_(options)
    , log_(log)
{
}

void UnitServer::Run()
{
    constexpr std::size_t kMaster = 0;
    constexpr std::size_t kStop = 1;
    constexpr std::size_t kStdin = 2;
    std::array<pollfd, 3> watches {{
        {terminal_.MasterFd(), POLLIN, 0},
        {stop_.Fd(), POLLIN, 0},
        {STDIN_FILENO, POLLIN, 0},
    }};
    const nfds_t watchCount = options_.exitOnStdinClose ? watches.size() : kStdin;
    for (;;) {
        const int timeoutMs = scheduler_.MsUntilNext(WriteScheduler::Clock::now());
        if (poll(watches.data(), watchCount, timeoutMs) < 0) {
            if (errno == EINTR)
                continue;
            Fail("poll");
        }
        if (watches[kStop].revents != 0)
            return;
        if (watchCount > kStdin && watches[kStdin].revents != 0 && StdinEnded())
            return;
        if (watches[kMaster].revents & POLLIN)
            ReadRequests();
        WriteDueAnswers();
    }
}

bool UnitServer::StdinEnded()
{
    std::array<char, kReadBufferSize> buffer;
    const ssize_t count = ::read(STDIN_FILENO, buffer.data(), buffer.size());
    return count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN);
}

void UnitServer::ReadRequests()
{
    std::array<char, kReadBufferSize> buffer;
    for (;;) {
        const ssize_t count = ::read(terminal_.MasterFd(), buffer.data(), buffer.size());
        if (count > 0) {
            const std::string_view bytes(buffer.data(), static_cast<std::size_t>(count));
            const auto arrived = WriteScheduler::Clock::now();
            Log(kRequestMark, bytes);
            scheduler_.Add(arrived, unit_.Receive(bytes));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        Fail("read from terminal");
    }
}

void UnitServer::WriteDueAnswers()
{
    for (const std::string& bytes : scheduler_.TakeDue(WriteScheduler::Clock::now())) {
        Log(kReplyMark, bytes);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t count = ::write(terminal_.MasterFd(), bytes.data() + done, bytes.size() - done);
            if (count > 0) {
                done += static_cast<std::size_t>(count);
            } else if (count < 0 && errno == EINTR) {
                continue;
            } else {
                // Nobody drains the terminal: the rest is lost, as on a
                // real port whose reader is gone.
                if (options_.log)
                    log_ << "(dropped " << bytes.size() - done << " bytes: terminal full)" << std::endl;
                break;
            }
        }
    }
}

void UnitServer::Log(std::string_view direction, std::string_view bytes)
{
    if (options_.log)
        log_ << direction << EscapeWireBytes(bytes) << std::endl;
}

}  // namespace sim
