// The command set against the simulated unit, in virtual time.
#include "tests/atcmd/AtTestSupport.h"
#include "tests/support/SimulatedUnit.h"

namespace {

class AgainstSimulator : public OpenPort {
protected:
    SimulatedUnit unit {link.serial};
};

TEST_F(AgainstSimulator, ReadsEveryIdentity)
{
    char imei[kImeiMax + 1] = {}, mac[kMacMax + 1] = {}, version[kVersionMax + 1] = {}, time[kVersionMax + 1] = {};
    char sn[kSnMax + 1] = {}, ssid[kSsidMax + 1] = {}, pcba[kPcbaSnMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_EQ(AtReadMac(mac), 1);
    EXPECT_EQ(AtReadVersion(version, time), 1);
    EXPECT_EQ(AtReadSn(sn), 1);
    EXPECT_EQ(AtReadSsid(ssid), 1);
    EXPECT_EQ(AtReadPcbaSn(pcba), 1);
    const auto& s = unit.State();
    EXPECT_EQ(imei, s.imei);
    EXPECT_STREQ(mac, "A4-5E-60-C1-22-9F");
    EXPECT_EQ(version, s.version);
    EXPECT_EQ(time, s.releaseTime);
    EXPECT_EQ(sn, s.sn);
    EXPECT_EQ(ssid, s.ssid);
    EXPECT_EQ(pcba, s.pcbaSn);
    EXPECT_EQ(log.Entries(), 0);
}

TEST_F(AgainstSimulator, WrittenIdentitiesAreReadBack)
{
    ASSERT_EQ(AtWriteImei("867400099999999"), 1);
    ASSERT_EQ(AtWriteMac("0A1B2C3D4E5F"), 1);
    ASSERT_EQ(AtWriteSn("RZ26B0000001"), 1);
    char imei[kImeiMax + 1] = {}, mac[kMacMax + 1] = {}, sn[kSnMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_EQ(AtReadMac(mac), 1);
    EXPECT_EQ(AtReadSn(sn), 1);
    EXPECT_STREQ(imei, "867400099999999");
    EXPECT_STREQ(mac, "0A-1B-2C-3D-4E-5F");
    EXPECT_STREQ(sn, "RZ26B0000001");
}

TEST_F(AgainstSimulator, WithheldFirstStepAnswerTimesOutWithoutSecondRequest)
{
    unit.State().withholdDAnswers = true;
    EXPECT_EQ(AtWriteImei("867400099999999"), 0);
    EXPECT_EQ(unit.Unit().Requests(), (std::vector<std::string> {"*MRD_IMEI=D"}));
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout3!\n");
}

TEST_F(AgainstSimulator, ReleaseTimeInASecondWriteIsNotTaken)
{
    unit.State().versionInTwoWrites = true;
    char version[kVersionMax + 1] = {}, time[kVersionMax + 1] = {};
    EXPECT_EQ(AtReadVersion(version, time), 1);
    EXPECT_EQ(version, unit.State().version);
    EXPECT_STREQ(time, "");
}

TEST_F(AgainstSimulator, SerialNumberErrorFails)
{
    unit.State().snError = true;
    char sn[kSnMax + 1] = {};
    EXPECT_EQ(AtReadSn(sn), 0);
    EXPECT_EQ(log.Entries(), 1);
}

TEST_F(AgainstSimulator, StatusChecks)
{
    char text[kStatusTextSize] = {};
    EXPECT_EQ(AtDetectSim(text), 1);
    EXPECT_STREQ(text, "SIM inserted");
    EXPECT_EQ(AtReadSdCard(text), 1);
    EXPECT_EQ(AtReadWifiState(), 1);
    EXPECT_EQ(AtCheckCharger(text), 1);
    for (CalFile f : {CalFile::Gsm, CalFile::Td, CalFile::Lte, CalFile::RfAnalysis, CalFile::RfCalibration})
        EXPECT_EQ(AtQueryCalFile(f), 1);
    unit.State().calFilePresent[2] = false;
    EXPECT_EQ(AtQueryCalFile(CalFile::Lte), 0);
    unit.State().simPresent = false;
    EXPECT_EQ(AtDetectSim(text), 0);
    EXPECT_STREQ(text, "SIM not inserted");
    EXPECT_EQ(log.Entries(), 0);
}

TEST_F(AgainstSimulator, UsbModeWriteChangesTheModeRead)
{
    ASSERT_EQ(AtWriteUsbMode(2), 1);
    char mode = 'x';
    EXPECT_EQ(AtReadUsbMode(&mode), 1);
    EXPECT_EQ(mode, '2');
}

TEST_F(AgainstSimulator, LockAndUnlock)
{
    char result[kStatusTextSize] = {}, state[kStatusTextSize] = {};
    EXPECT_EQ(AtLockPn(result), 1);
    EXPECT_STREQ(result, "LOCK SUCCESS");
    EXPECT_EQ(AtReadPnLock(state), 1);
    EXPECT_STREQ(state, "LOCK");
    char wrong[kStatusTextSize] = {};
    EXPECT_EQ(AtUnlockPn("00000000", wrong), 0);
    EXPECT_STREQ(wrong, "UNLOCK FAIL");
    char right[kStatusTextSize] = {};
    EXPECT_EQ(AtUnlockPn(unit.State().unlockCode.c_str(), right), 1);
    EXPECT_STREQ(right, "UNLOCK SUCCESS");
}

TEST_F(AgainstSimulator, KeyReportArrivesAfterTheKeyTestStarts)
{
    unit.State().keyReportDelayMs = 5000;
    ASSERT_EQ(AtKeyTestStart(), 1);
    char result[kStatusTextSize] = {};
    // The first listen (about 3.2 s) ends before the report; the next hears it.
    EXPECT_EQ(AtPollKeyReport(result), 0);
    EXPECT_EQ(AtPollKeyReport(result), 1);
    EXPECT_STREQ(result, "PASS");
    EXPECT_EQ(AtKeyTestStop(), 1);
}

TEST_F(AgainstSimulator, ControlCommandsAreRecorded)
{
    EXPECT_EQ(AtLcdOn(), 1);
    EXPECT_EQ(AtLedAllOn(), 1);
    EXPECT_EQ(AtRestore(), 1);
    EXPECT_EQ(AtPowerOff(), 1);
    EXPECT_TRUE(unit.State().lcdLit);
    EXPECT_TRUE(unit.State().ledsAllOn);
    EXPECT_EQ(unit.State().events, (std::vector<sim::UnitEvent> {sim::UnitEvent::Restore, sim::UnitEvent::PowerOff}));
}

}  // namespace
