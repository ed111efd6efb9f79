#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "link/AtPort.h"
#include "link/StationLog.h"
#include "station/CRuriZudaDlg.h"
#include "station/ControlIds.h"
#include "tests/station/FakeWindow.h"
#include "tests/support/FakeDiscovery.h"
#include "tests/support/SimulatedUnit.h"
#include "tests/support/TempDir.h"
#include "tests/support/VirtualTime.h"

inline constexpr const char* kUnitPort = "/dev/ttyUNIT";

// A station in a temporary working directory, in virtual time, with the
// simulated unit on its listed port and a recording window.
class StationFixture : public testing::Test {
protected:
    void TearDown() override
    {
        LogClose();
        AtPort = 0;
    }

    // Writes workstation.ini into the working directory.
    void WriteProfile(const std::string& text)
    {
        std::ofstream(dir.Path() / "workstation.ini") << text;
    }

    // A fresh window and station started with `profile`.
    void StartWith(const std::string& profile)
    {
        station.reset();
        window = FakeWindow {};
        WriteProfile(profile);
        Start();
    }

    // Starts the station as the window's initialisation does.
    void Start(StationOptions options = {kUnitPort})
    {
        if (!options.devices)
            options.devices = &devices;
        if (!options.probe)
            options.probe = &probe;
        station = std::make_unique<CRuriZudaDlg>(window, std::move(options));
        station->OnInitDialog();
        window.events.clear();
    }

    TempWorkDir dir;
    VirtualLink link;
    SimulatedUnit unit {link.serial};
    FakeWindow window;
    FakeDevices devices;
    FakeProbe probe;
    std::unique_ptr<CRuriZudaDlg> station;
};
