#include "link/AtPort.h"

#include "link/Clock.h"
#include "link/SerialPort.h"

SerialHandle AtPort = 0;

int AtPortOpen(const char* path)
{
    if (AtPort != 0) {
        SerialClose(AtPort);
        AtPort = 0;
    }
    CurrentClock().Sleep(kBeforeOpenMs);
    const SerialHandle handle = SerialOpen(path, kAtBaudRate);
    if (handle == kInvalidSerialHandle)
        return 0;
    AtPort = handle;
    CurrentClock().Sleep(kAfterOpenMs);
    return 1;
}

void AtPortClose()
{
    if (AtPort == 0)
        return;
    CurrentClock().Sleep(kBeforeCloseMs);
    SerialClose(AtPort);
    CurrentClock().Sleep(kAfterCloseMs);
    AtPort = 0;
}
