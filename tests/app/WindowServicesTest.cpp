// What the controller asks of the window: pictures, texts, boxes, the port
// list; and the about box and the picture of the whole window.
#include <fstream>
#include <iostream>
#include <sstream>

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>

#include "ModalWatcher.h"
#include "StationFixture.h"
#include "app/IndicatorArt.h"
#include "station/ControlIds.h"
#include "station/StatusKinds.h"

namespace {

QImage PictureOn(const QtStationWindow& window, int id)
{
    return qobject_cast<QLabel*>(window.Control(id))->pixmap().toImage();
}

using WindowServices = StationFixture;

TEST_F(WindowServices, ShowStatusPutsThePictureOnTheLampAndTheMessageInTheBox)
{
    IndicatorArt art;
    controller_->ShowStatus(kind::kMainSuccess, "x");
    EXPECT_EQ(PictureOn(*window_, ctl::kMainLamp), art.Pixmap(Picture::Success).toImage());
    EXPECT_EQ(window_->Text(ctl::kResultBox), "x");

    controller_->ShowStatus(kind::kOneKeyFail, "Failed in Onekey Test!");
    EXPECT_EQ(PictureOn(*window_, ctl::kOneKeyLamp), art.Pixmap(Picture::Fail).toImage());
    EXPECT_EQ(window_->Text(ctl::kOneKeyResultBox), "Failed in Onekey Test!");

    window_->SetPicture(ctl::kMainLamp, Picture::None);
    EXPECT_TRUE(PictureOn(*window_, ctl::kMainLamp).isNull());
}

TEST_F(WindowServices, AnUnknownStatusKindShowsTheUncertainTextInAFontThatHasIt)
{
    controller_->ShowStatus(17, "x");
    const std::string shown = window_->Text(ctl::kResultBox);
    EXPECT_EQ(shown, "不确定状态");
    const QFontMetrics metrics(window_->Control(ctl::kResultBox)->font());
    for (const QChar c : QString::fromStdString(shown))
        EXPECT_TRUE(metrics.inFont(c)) << "no glyph for U+" << std::hex << static_cast<unsigned>(c.unicode());
}

class ReadImeiWithoutPort : public StationFixture {
protected:
    void SetUp() override
    {
        profile_ = "[Station]\nREADIMEI=YES\n";
        StationFixture::SetUp();
        window_->ClearPorts();
    }
};

TEST_F(ReadImeiWithoutPort, ClickWarnsInABoxThenReportsTheFailure)
{
    ModalWatcher watcher;
    QTest::mouseClick(window_->Control(ctl::kReadImei), Qt::LeftButton);
    ASSERT_EQ(watcher.SeenWindows().size(), 1u);
    const ModalWatcher::Seen& box = watcher.SeenWindows()[0];
    EXPECT_TRUE(box.isMessageBox);
    EXPECT_EQ(box.caption, "WARNING");
    EXPECT_EQ(box.texts, std::vector<std::string> {"NO COM!"});
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_EQ(box.okButtons, 1);
    EXPECT_EQ(PictureOn(*window_, ctl::kMainLamp), IndicatorArt().Pixmap(Picture::Fail).toImage());
    EXPECT_EQ(window_->Text(ctl::kResultBox), "Fail to connect target,please try again.");
}

TEST_F(WindowServices, MessageBoxIconsFollowTheRequest)
{
    ModalWatcher watcher;
    window_->MessageBox("Fail to connect target!  Please try again!", "WARNING", BoxIcon::Stop);
    window_->MessageBox("REFRESH COM OK!", "PROMPT", BoxIcon::None);
    ASSERT_EQ(watcher.SeenWindows().size(), 2u);
    EXPECT_EQ(watcher.SeenWindows()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(watcher.SeenWindows()[0].texts[0], "Fail to connect target!  Please try again!");
    EXPECT_EQ(watcher.SeenWindows()[1].icon, QMessageBox::NoIcon);
    EXPECT_EQ(watcher.SeenWindows()[1].caption, "PROMPT");
}

void ExpectAboutBox(const ModalWatcher& watcher)
{
    ASSERT_EQ(watcher.SeenWindows().size(), 1u);
    const ModalWatcher::Seen& about = watcher.SeenWindows()[0];
    EXPECT_FALSE(about.isMessageBox);
    EXPECT_EQ(about.caption, "KAVO RURIZUDA TOOL");
    EXPECT_NE(std::find(about.texts.begin(), about.texts.end(), "KAVO RURIZUDA TOOL 1.2 VER"), about.texts.end());
    EXPECT_EQ(about.okButtons, 1);
}

TEST_F(WindowServices, TheWindowMenuOffersTheAboutItemOnARightClick)
{
    ShowActive();
    ModalWatcher watcher;
    QWidget* label = window_->Control(ctl::kItemReadVer);  // a click on a label reaches the window
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(label, &click);
    ASSERT_EQ(watcher.SeenWindows().size(), 1u);
    EXPECT_TRUE(watcher.SeenWindows()[0].isMenu);
    EXPECT_EQ(watcher.SeenWindows()[0].texts, std::vector<std::string> {"KAVO RURIZUDA TOOL(&A)..."});
}

TEST_F(WindowServices, TheAboutItemAndF1OpenTheAboutBox)
{
    ShowActive();
    {
        ModalWatcher watcher;
        window_->AboutAction()->trigger();
        ExpectAboutBox(watcher);
    }
    ShowActive();  // back from the box
    ModalWatcher watcher;
    QTest::keyClick(window_.get(), Qt::Key_F1);
    ExpectAboutBox(watcher);
}

TEST_F(WindowServices, ThePortListStaysSortedKeepsCaseAndSelectsOnlyOnRequest)
{
    window_->ClearPorts();
    for (const char* port : {"ttyUSB1", "ttyACM0", "/dev/pts/3", "ttyacm1"})
        window_->AddPort(port);
    EXPECT_EQ(window_->PortCount(), 4);
    EXPECT_EQ(window_->CurrentPort(), "");
    window_->SelectPort(0);
    EXPECT_EQ(window_->CurrentPort(), "/dev/pts/3");
    window_->SelectPort(1);
    EXPECT_EQ(window_->CurrentPort(), "ttyACM0");
    window_->SelectPort(2);
    EXPECT_EQ(window_->CurrentPort(), "ttyacm1");
    window_->SelectPort(3);
    EXPECT_EQ(window_->CurrentPort(), "ttyUSB1");
    window_->ClearPorts();
    EXPECT_EQ(window_->PortCount(), 0);
}

// A picture for a reviewer: the window with the example profile and a few
// reports on its lamps.
class ExampleProfile : public StationFixture {
protected:
    void SetUp() override
    {
        std::ifstream file(EXAMPLE_PROFILE_PATH);
        std::ostringstream text;
        text << file.rdbuf();
        profile_ = text.str();
        ASSERT_FALSE(profile_.empty());
        StationFixture::SetUp();
    }
};

TEST_F(ExampleProfile, SavesAPictureOfTheWindow)
{
    controller_->ShowStatus(kind::kMainSuccess, "Read IMEI successfully!");
    controller_->ShowStatus(kind::kSimGoing, "Start Operation !");
    controller_->ShowStatus(kind::kSdFail, "Read SD failed!");
    controller_->ShowStatus(kind::kWifiBlank, " ");
    controller_->ShowStatus(kind::kOneKeyFail, "Failed in Onekey Test!");
    controller_->ShowStatus(kind::kUnitPresent, "");
    for (int id : {ctl::kFailReadSd, ctl::kFailTestKey, ctl::kFailConfirmLock})
        window_->SetVisible(id, true);
    ShowActive();
    const QPixmap picture = window_->grab();
    ASSERT_TRUE(picture.save(WINDOW_PICTURE_PATH, "PNG"));
    EXPECT_EQ(picture.size(), window_->size());
    std::cout << "window picture: " << WINDOW_PICTURE_PATH << std::endl;
}

}  // namespace
