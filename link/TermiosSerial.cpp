#include "link/TermiosSerial.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/Trace.h"

namespace {

// A read waits at most this long for a first byte, in tenths of a second.
constexpr cc_t kFirstByteWaitDeciseconds = 2;
// Lowest descriptor a handle may have: 0 means "no port" to the AT module.
constexpr int kLowestHandle = 3;

speed_t SpeedOf(int baud)
{
    switch (baud) {
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B115200;
    }
}

// Sets raw 115200 8N1 with the 200 ms first-byte wait; false when `fd` is
// not a terminal.
bool Configure(int fd, int baud)
{
    termios tio {};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = kFirstByteWaitDeciseconds;
    cfsetispeed(&tio, SpeedOf(baud));
    cfsetospeed(&tio, SpeedOf(baud));
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

void TraceNotASerialPort(const char* path)
{
    std::string text = std::string("not a serial port: ") + path + "\n";
    TraceOut(text.c_str());
}

}  // namespace

SerialHandle TermiosSerial::Open(const char* path, int baud)
{
    int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return kInvalidSerialHandle;
    if (fd < kLowestHandle) {
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kLowestHandle);
        ::close(fd);
        if (moved < 0)
            return kInvalidSerialHandle;
        fd = moved;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return kInvalidSerialHandle;
    }
    // Keeps other non-root openers out too; not every tty supports it.
    ioctl(fd, TIOCEXCL);
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!Configure(fd, baud)) {
        TraceNotASerialPort(path);
        ::close(fd);
        return kInvalidSerialHandle;
    }
    tcflush(fd, TCIOFLUSH);
    return fd;
}

void TermiosSerial::Close(SerialHandle handle)
{
    if (handle < 0)
        return;
    tcflush(handle, TCIOFLUSH);
    ioctl(handle, TIOCNXCL);
    ::close(handle);  // also releases the lock
}

int TermiosSerial::Purge(SerialHandle handle)
{
    return tcflush(handle, TCIOFLUSH) == 0 ? 1 : 0;
}

int TermiosSerial::Read(SerialHandle handle, unsigned char* dest, int maxCount)
{
    for (;;) {
        const ssize_t n = ::read(handle, dest, static_cast<size_t>(maxCount));
        if (n >= 0) {
            lastReadError_ = 0;
            return static_cast<int>(n);
        }
        if (errno != EINTR) {
            lastReadError_ = errno;
            return kSerialReadFailed;
        }
    }
}

int TermiosSerial::Write(SerialHandle handle, const unsigned char* bytes, int count)
{
    int done = 0;
    while (done < count) {
        const ssize_t n = ::write(handle, bytes + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return 0;
        }
        done += static_cast<int>(n);
    }
    return 1;
}
