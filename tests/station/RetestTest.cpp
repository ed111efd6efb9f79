// RETEST: what it clears, when it refuses, and where it puts the focus.
#include "station/FailureMask.h"
#include "tests/station/StationFixture.h"

namespace {

class Retest : public StationFixture {
protected:
    // Fills every box RETEST clears and a few it must leave alone.
    void FillWindow()
    {
        for (int id : kCleared)
            window.SetText(id, "old");
        window.SetText(ctl::kRefMacNo, "A45E60");
        window.SetText(ctl::kWriteImeiEdit, "keep");
        window.events.clear();
    }

    static constexpr int kCleared[] = {1003, 1030, 1005, 1006, 1008, 1132, 1007, 1013, 1014, 1019, 1055,
                                       1017, 1022, 1097, 1041, 1042, 1043, 1053, 1052, 1094, 1095, 1096,
                                       1119, 1118, 1117, 1129, 1135, 1128, 1130, 1137, 1139, 1141};
};

TEST_F(Retest, WithStorageOnItDemandsTestFinishFirst)
{
    WriteProfile("[Station]\nUSEMDB=YES\n");
    Start();
    FillWindow();
    station->unit.imei = "867400012345678";
    station->OnRetest();
    EXPECT_EQ(window.events, (std::vector<std::string> {"box WARNING warning: Need Test Finish before Restart"}));
    EXPECT_EQ(station->unit.imei, "867400012345678");
    EXPECT_EQ(window.Text(ctl::kImeiBox), "old");
}

TEST_F(Retest, AfterTestFinishItClearsAndResetsTheFlag)
{
    WriteProfile("[Station]\nUSEMDB=YES\n");
    Start();
    FillWindow();
    station->TestFinished = 1;
    station->OnRetest();
    EXPECT_EQ(station->TestFinished, 0);
    EXPECT_EQ(window.Text(ctl::kImeiBox), "");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(Retest, ClearsExactlyTheUnitsFieldsAndBlanksTheLamps)
{
    Start();
    FillWindow();
    station->unit.sn = "RZ26A1";
    station->scanned.imei = "8674";
    station->checks.snCheckOk = 0;
    station->FailureMask = failbit::kReadSn;
    window.SetVisible(ctl::kFailReadSn, true);
    station->KeyJudged = 1;
    station->OnRetest();

    for (int id : kCleared) {
        if (id != ctl::kResultBox && id != ctl::kOneKeyResultBox) {
            EXPECT_EQ(window.Text(id), "") << id;
        }
    }
    EXPECT_EQ(window.Text(ctl::kRefMacNo), "A45E60");
    EXPECT_EQ(window.Text(ctl::kWriteImeiEdit), "keep");
    for (int lamp : {ctl::kMainLamp, ctl::kSimLamp, ctl::kSdLamp, ctl::kWifiLamp, ctl::kOneKeyLamp})
        EXPECT_EQ(window.PictureOf(lamp), Picture::Blank) << lamp;
    EXPECT_EQ(window.PictureOf(ctl::kPresenceLamp), Picture::None);
    EXPECT_EQ(window.Text(ctl::kResultBox), " ");
    EXPECT_EQ(window.Text(ctl::kOneKeyResultBox), " ");
    EXPECT_FALSE(window.IsVisible(ctl::kFailReadSn));
    EXPECT_EQ(station->unit.sn, "");
    EXPECT_EQ(station->scanned.imei, "");
    EXPECT_EQ(station->checks.snCheckOk, 1);
    // Neither the failure mask nor the judgements are RETEST's to reset.
    EXPECT_EQ(station->FailureMask, failbit::kReadSn);
    EXPECT_EQ(station->KeyJudged, 1);
}

struct FocusRow {
    const char* profile;
    int focus;
};

class RetestFocus : public Retest, public testing::WithParamInterface<FocusRow> {};

TEST_P(RetestFocus, GoesToTheFirstFieldTheOperatorMustScan)
{
    WriteProfile(GetParam().profile);
    Start();
    window.focus = 0;
    station->OnRetest();
    EXPECT_EQ(window.focus, GetParam().focus);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RetestFocus,
    testing::Values(
        FocusRow {"[Station]\nCHECKSCANMAC=YES\nCHECKSCANIMEI=YES\n", ctl::kScanMac},
        FocusRow {"[Station]\nCHECKSCANMAC=YES\nCHECKSCANIMEI=YES\n[ReadFromDB]\nREAD_MAC_FROM_DB_IMEI=YES\n",
                  ctl::kScanImei},
        FocusRow {"[Station]\nCHECKSCANSN=YES\nCHECKSCANPCBASN=YES\n", ctl::kScanSn},
        FocusRow {"[Station]\nCHECKSCANSN=YES\nCHECKSCANPCBASN=YES\n[ReadFromDB]\nREAD_SN_FROM_DB_IMEI=YES\n",
                  ctl::kScanPcbaSn},
        FocusRow {"[Station]\nCHECKSCANMAC=YES\n[ReadFromDB]\nREAD_MAC_FROM_DB_IMEI=YES\n", 0},
        FocusRow {"", 0}));

}  // namespace
