#include "StationFixture.h"

#include <fstream>
#include <random>

#include <QTest>

#include "link/StationLog.h"

namespace fs = std::filesystem;

WorkDir::WorkDir()
    : previous_(fs::current_path())
{
    std::random_device random;
    path_ = fs::temp_directory_path() / ("rurizuda-app-" + std::to_string(random()));
    fs::create_directories(path_);
    fs::current_path(path_);
}

WorkDir::~WorkDir()
{
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
}

void WorkDir::WriteProfile(const std::string& text) const
{
    std::ofstream(path_ / "workstation.ini") << text;
}

void StationFixture::SetUp()
{
    if (!profile_.empty())
        dir_.WriteProfile(profile_);
    window_ = std::make_unique<QtStationWindow>();
    controller_ = std::make_unique<CRuriZudaDlg>(*window_);
    window_->Attach(*controller_);
    controller_->OnInitDialog();
}

void StationFixture::TearDown()
{
    window_->hide();
    controller_->OnDestroy();
    LogClose();
}

void StationFixture::ShowActive()
{
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
}
