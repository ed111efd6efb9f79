// The guarded operation frame, the connection and status reporting.
#include "station/FailureMask.h"
#include "tests/station/StationFixture.h"

namespace {

using Events = std::vector<std::string>;

class Frame : public StationFixture {
protected:
    void SetUp() override { Start(); }
};

TEST_F(Frame, OperationWhileBusyOnlyWarns)
{
    station->OperationBusy = 1;
    window.SetText(ctl::kResultBox, "running");
    link.serial.writes.clear();
    station->OnReadImei();
    EXPECT_EQ(window.events, (Events {"text 1022 running", "box WARNING warning: The other operation is in process!"}));
    EXPECT_EQ(station->OperationBusy, 1);
    EXPECT_EQ(link.serial.opens, 0);
    EXPECT_TRUE(link.serial.writes.empty());
}

TEST_F(Frame, EmptyPortListWarnsThenFailsWithoutFailureBit)
{
    window.ClearPorts();
    station->OnReadImei();
    EXPECT_EQ(window.events, (Events {"box WARNING warning: NO COM!", "picture 1029 fail",
                                      "text 1022 Fail to connect target,please try again."}));
    EXPECT_EQ(station->FailureMask, 0u);
    EXPECT_EQ(station->OperationBusy, 0);
    EXPECT_EQ(AtPort, 0);
}

TEST_F(Frame, ElevenFailedOpensShowTheStopBox)
{
    link.serial.FailOpen(true);
    station->OnReadImei();
    EXPECT_EQ(link.serial.opens, 11);
    EXPECT_EQ(window.events,
              (Events {"box WARNING stop: Fail to connect target!  Please try again!", "picture 1029 fail",
                       "text 1022 Fail to connect target,please try again."}));
    EXPECT_EQ(station->FailureMask, 0u);
    EXPECT_EQ(AtPort, 0);
}

TEST_F(Frame, PortThatOpensOnTheEleventhAttemptIsConnected)
{
    link.serial.FailOpens(10);
    station->OnReadImei();
    EXPECT_EQ(link.serial.opens, 11);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(window.PictureOf(ctl::kMainLamp), Picture::Success);
}

TEST_F(Frame, ConnectionFailureUsesTheOperationsOwnFailKind)
{
    window.ClearPorts();
    OperationSpec sim {.kinds = kSimKinds, .successMessage = "ok", .failureMessage = "bad", .failureBit = 0x40};
    bool ran = false;
    EXPECT_EQ(station->RunOperation(sim, [&] { ran = true; return 1; }), 0);
    EXPECT_FALSE(ran);
    EXPECT_EQ(window.PictureOf(ctl::kSimLamp), Picture::Fail);
    EXPECT_EQ(window.PictureOf(ctl::kMainLamp), Picture::None);
}

TEST_F(Frame, PortDeviceComesFromTheListText)
{
    window.ClearPorts();
    window.AddPort("ttyACM0");
    window.SelectPort(0);
    station->OnReadImei();
    EXPECT_EQ(link.clock.events.at(1), "open /dev/ttyACM0 115200");
}

struct KindRow {
    unsigned kind;
    int indicator;
    Picture picture;
    int box;
};

class StatusKinds : public Frame, public testing::WithParamInterface<KindRow> {};

TEST_P(StatusKinds, KindSelectsIndicatorPictureAndBox)
{
    const KindRow& row = GetParam();
    station->ShowStatus(row.kind, "message");
    EXPECT_EQ(window.PictureOf(row.indicator), row.picture);
    EXPECT_EQ(window.pictures.size(), 1u);
    if (row.box)
        EXPECT_EQ(window.Text(row.box), "message");
    else
        EXPECT_EQ(window.Text(ctl::kResultBox), "");
    EXPECT_GT(window.repaints, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusKinds,
    testing::Values(KindRow {0, ctl::kMainLamp, Picture::Going, ctl::kResultBox},
                    KindRow {1, ctl::kMainLamp, Picture::Success, ctl::kResultBox},
                    KindRow {2, ctl::kMainLamp, Picture::Fail, ctl::kResultBox},
                    KindRow {3, ctl::kSimLamp, Picture::Going, ctl::kResultBox},
                    KindRow {5, ctl::kSimLamp, Picture::Fail, ctl::kResultBox},
                    KindRow {7, ctl::kSdLamp, Picture::Success, ctl::kResultBox},
                    KindRow {11, ctl::kWifiLamp, Picture::Fail, ctl::kResultBox},
                    KindRow {12, ctl::kOneKeyLamp, Picture::Going, ctl::kOneKeyResultBox},
                    KindRow {14, ctl::kOneKeyLamp, Picture::Fail, ctl::kOneKeyResultBox},
                    KindRow {20, ctl::kMainLamp, Picture::Blank, ctl::kResultBox},
                    KindRow {23, ctl::kWifiLamp, Picture::Blank, ctl::kResultBox},
                    KindRow {24, ctl::kOneKeyLamp, Picture::Blank, ctl::kOneKeyResultBox},
                    KindRow {30, ctl::kPresenceLamp, Picture::GreenDisc, 0},
                    KindRow {31, ctl::kPresenceLamp, Picture::RedDisc, 0}));

TEST_F(Frame, KindOutsideTheTableWritesTheFixedTextOnly)
{
    for (unsigned kind : {15u, 17u, 19u, 25u, 29u, 32u, 1000u}) {
        window.SetText(ctl::kResultBox, "");
        station->ShowStatus(kind, "dropped");
        EXPECT_EQ(window.Text(ctl::kResultBox), "不确定状态") << kind;
    }
    EXPECT_TRUE(window.pictures.empty());
}

// ------------------------------------------------------------- READ IMEI

using ReadImei = Frame;

TEST_F(ReadImei, ShowsTheUnitsImei)
{
    station->OnReadImei();
    EXPECT_EQ(window.Text(ctl::kImeiBox), "867400012345678");
    EXPECT_EQ(station->unit.imei, "867400012345678");
    EXPECT_EQ(window.PictureOf(ctl::kMainLamp), Picture::Success);
    EXPECT_EQ(window.Text(ctl::kResultBox), "Read IMEI successfully!");
    EXPECT_EQ(station->FailureMask, 0u);
    EXPECT_EQ(station->OperationBusy, 0);
    EXPECT_EQ(AtPort, 0);
    // GOING was shown before the command ran.
    EXPECT_EQ(window.events.front(), "picture 1029 going");
}

TEST_F(ReadImei, WithoutAnAnswerTheBoxKeepsItsTextAndTheBitIsSet)
{
    window.SetText(ctl::kImeiBox, "previous");
    link.serial.SetResponder({});  // the unit says nothing
    station->OnReadImei();
    EXPECT_EQ(window.Text(ctl::kImeiBox), "previous");
    EXPECT_EQ(window.PictureOf(ctl::kMainLamp), Picture::Fail);
    EXPECT_EQ(window.Text(ctl::kResultBox), "Failed to read IMEI!");
    EXPECT_EQ(station->FailureMask, failbit::kReadImei);
    EXPECT_EQ(station->unit.imei, "");
    EXPECT_EQ(AtPort, 0);
}

TEST_F(ReadImei, LongImeiIsShownCutTo16Characters)
{
    unit.State().imei = "12345678901234567";
    station->OnReadImei();
    EXPECT_EQ(station->unit.imei, "12345678901234567");
    EXPECT_EQ(window.Text(ctl::kImeiBox), "1234567890123456");
}

}  // namespace
