#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atcmd/Atcmd.h"
#include "link/AtPort.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualTime.h"

// A unit on a scripted port, already opened, with the station log captured.
// The events of opening are dropped, so tests see only the command's own.
class OpenPort : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AtOpen("/dev/ttyUNIT"), 1);
        link.clock.events.clear();
        link.clock.now = 0;
    }
    void TearDown() override
    {
        AtPort = 0;
    }

    // Events from the first read on, to compare the tail of a command.
    std::vector<std::string> EventsFromFirstRead() const
    {
        const auto& e = link.clock.events;
        for (size_t i = 0; i < e.size(); ++i) {
            if (e[i].rfind("read", 0) == 0)
                return {e.begin() + static_cast<long>(i), e.end()};
        }
        return {};
    }

    LogCapture log;
    VirtualLink link;
};

// The reply of a unit: CR LF framing and a blank line before "OK".
inline std::string Reply(const std::string& line)
{
    return "\r\n" + line + "\r\n\r\nOK\r\n";
}
