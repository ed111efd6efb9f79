#include "StationFixture.h"

#include <fstream>

#include <QTest>

#include "link/StationLog.h"

void WriteProfile(const std::string& text)
{
    std::ofstream(kStationProfileFileName) << text;
}

void StationFixture::SetUp()
{
    if (!profile_.empty())
        WriteProfile(profile_);
    window_ = std::make_unique<QtStationWindow>();
    controller_ = std::make_unique<CRuriZudaDlg>(*window_, options_);
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
