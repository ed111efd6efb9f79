// Enter in the scan fields: the walk to the next field to scan and the step
// that presses ONEKEY TEST; the scan focus of the window's first event.
#include "tests/station/StationFixture.h"

namespace {

class EnterWalk : public StationFixture {
protected:
    bool OneKeyPressed() const { return window.timers.count(ctl::kOneKeyWaitTimer) == 1; }
};

struct WalkRow {
    const char* name;
    const char* profile;
    std::vector<int> walk;  // where the focus is after each Enter, from the first field
};

TEST_F(EnterWalk, EnterMovesToTheNextFieldToScanAndTheLastPressesOneKeyTest)
{
    const WalkRow rows[] = {
        {"MAC and IMEI", "[Station]\nCHECKSCANMAC=YES\nCHECKSCANIMEI=YES\n", {ctl::kScanMac, ctl::kScanImei}},
        {"all four",
         "[Station]\nCHECKSCANMAC=YES\nCHECKSCANIMEI=YES\nCHECKSCANSN=YES\nCHECKSCANPCBASN=YES\n",
         {ctl::kScanMac, ctl::kScanImei, ctl::kScanSn, ctl::kScanPcbaSn}},
        {"SN left out", "[Station]\nCHECKSCANMAC=YES\nCHECKSCANIMEI=YES\nCHECKSCANPCBASN=YES\n",
         {ctl::kScanMac, ctl::kScanImei, ctl::kScanPcbaSn}},
        {"MAC alone", "[Station]\nCHECKSCANMAC=YES\n", {ctl::kScanMac}},
        {"MAC then PCBA SN", "[Station]\nCHECKSCANMAC=YES\nCHECKSCANPCBASN=YES\n", {ctl::kScanMac, ctl::kScanPcbaSn}},
        {"SN from the database, PCBA SN scanned",
         "[Station]\nCHECKSCANIMEI=YES\nCHECKSCANSN=YES\nCHECKSCANPCBASN=YES\n[ReadFromDB]\nREAD_SN_FROM_DB_IMEI=YES\n",
         {ctl::kScanImei, ctl::kScanPcbaSn}},
        {"MAC and SN from the database",
         "[Station]\nCHECKSCANMAC=YES\nCHECKSCANIMEI=YES\nCHECKSCANSN=YES\n[ReadFromDB]\n"
         "READ_MAC_FROM_DB_IMEI=YES\nREAD_SN_FROM_DB_IMEI=YES\n",
         {ctl::kScanImei}},
    };
    for (const WalkRow& row : rows) {
        SCOPED_TRACE(row.name);
        StartWith(row.profile);
        window.focus = row.walk.front();
        for (size_t step = 1; step < row.walk.size(); ++step) {
            EXPECT_TRUE(station->OnEnterKey(window.focus));
            EXPECT_EQ(window.focus, row.walk[step]);
            EXPECT_FALSE(OneKeyPressed());
        }
        EXPECT_TRUE(station->OnEnterKey(window.focus));
        EXPECT_EQ(window.focus, ctl::kOneKeyTest);
        EXPECT_TRUE(OneKeyPressed());
    }
}

TEST_F(EnterWalk, EnterElsewhereIsLeftToTheWindow)
{
    StartWith("[Station]\nCHECKSCANMAC=YES\n");
    for (int control : {ctl::kVersionBox, ctl::kOneKeyTest, ctl::kRetest}) {
        window.focus = control;
        EXPECT_FALSE(station->OnEnterKey(control));
        EXPECT_EQ(window.focus, control);
    }
    EXPECT_FALSE(OneKeyPressed());
}

TEST_F(EnterWalk, TheFirstEventPutsTheFocusOnScanImeiWhenTheMacComesFromTheDatabase)
{
    for (bool fromDb : {false, true}) {
        StartWith(std::string("[Station]\nCHECKSCANMAC=YES\nCHECKSCANIMEI=YES\n[ReadFromDB]\nREAD_MAC_FROM_DB_IMEI=") +
                  (fromDb ? "YES\n" : "NO\n"));
        window.focus = ctl::kScanMac;
        station->OnFirstMessage();
        EXPECT_EQ(window.focus, fromDb ? ctl::kScanImei : ctl::kScanMac);
        window.focus = ctl::kScanMac;
        station->OnFirstMessage();
        EXPECT_EQ(window.focus, ctl::kScanMac);
    }
}

}  // namespace
