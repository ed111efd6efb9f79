#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/QtStationWindow.h"
#include "station/CRuriZudaDlg.h"
#include "tests/support/TempDir.h"

// Writes workstation.ini into the current directory.
void WriteProfile(const std::string& text);

// The real window with the real controller, started the way the program
// starts it. Derived fixtures set profile_ before SetUp to start with a
// workstation.ini.
class StationFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the window and waits until it has the keyboard focus.
    void ShowActive();

    template <class W>
    W* Widget(int id) const
    {
        return qobject_cast<W*>(window_->Control(id));
    }

    std::string profile_;  // "" = no workstation.ini
    StationOptions options_;
    TempWorkDir dir_;
    std::unique_ptr<QtStationWindow> window_;
    std::unique_ptr<CRuriZudaDlg> controller_;
};
