#include "sim/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

[[noreturn]] void Fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::PseudoTerminal()
{
    try {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0)
            Fail("posix_openpt");
        if (grantpt(master_) != 0)
            Fail("grantpt");
        if (unlockpt(master_) != 0)
            Fail("unlockpt");
        char path[128] {};
        if (ptsname_r(master_, path, sizeof path) != 0)
            Fail("ptsname_r");
        slavePath_ = path;

        slave_ = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0)
            Fail("open slave");
        termios tio {};
        if (tcgetattr(slave_, &tio) != 0)
            Fail("tcgetattr");
        cfmakeraw(&tio);
        if (tcsetattr(slave_, TCSANOW, &tio) != 0)
            Fail("tcsetattr");

        const int flags = fcntl(master_, F_GETFL);
        if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
            Fail("fcntl");
    } catch (...) {
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
        throw;
    }
}

PseudoTerminal::~PseudoTerminal()
{
    ::close(slave_);
    ::close(master_);
}

}  // namespace sim
