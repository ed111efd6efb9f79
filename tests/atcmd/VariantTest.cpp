// Outcomes of the transaction variants, told on the commands that use them.
#include "tests/atcmd/AtTestSupport.h"

namespace {

using Events = std::vector<std::string>;

// ---------------------------------------------------------------- identities

using IdentityQuery = OpenPort;

TEST_F(IdentityQuery, MacComesBackUpperCaseWithHyphens)
{
    link.serial.Polls(0, Reply("+KAVOMAC: a4:5e:60:c1:22:9f"));
    char mac[kMacMax + 1] = {};
    EXPECT_EQ(AtReadMac(mac), 1);
    EXPECT_STREQ(mac, "A4-5E-60-C1-22-9F");
}

TEST_F(IdentityQuery, VersionWithReleaseTimeInTheSameChunk)
{
    link.serial.Polls(0, Reply("release_version:RZ_V1.2\r\nrelease_time:2026-10-14 10:31:07"));
    char version[kVersionMax + 1] = {};
    char time[kVersionMax + 1] = {};
    EXPECT_EQ(AtReadVersion(version, time), 1);
    EXPECT_STREQ(version, "RZ_V1.2");
    EXPECT_STREQ(time, "2026-10-14 10:31:07");
}

TEST_F(IdentityQuery, ReleaseTimeInALaterChunkLeavesItsBufferUntouched)
{
    link.serial.Polls(0, "\r\nrelease_version:RZ_V1.2\r\n").Polls(0, "release_time:2026-10-14\r\n\r\nOK\r\n");
    char version[kVersionMax + 1] = {};
    char time[kVersionMax + 1] = "untouched";
    EXPECT_EQ(AtReadVersion(version, time), 1);
    EXPECT_STREQ(version, "RZ_V1.2");
    EXPECT_STREQ(time, "untouched");
}

TEST_F(IdentityQuery, SerialNumberIsCutAfter28Characters)
{
    link.serial.Polls(0, Reply("*MRD_SN:ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"));
    char sn[40] = {};
    EXPECT_EQ(AtReadSn(sn), 1);
    EXPECT_STREQ(sn, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01");
}

TEST_F(IdentityQuery, SsidWithOkInsideComesBackWhole)
{
    link.serial.Polls(0, Reply("+KAVOSSID:BOOKSHOP-1A2B"));
    char ssid[kSsidMax + 1] = {};
    EXPECT_EQ(AtReadSsid(ssid), 1);
    EXPECT_STREQ(ssid, "BOOKSHOP-1A2B");
}

TEST_F(IdentityQuery, PcbaSnStopsAtAnOkThatBeginsALine)
{
    link.serial.Polls(0, "\r\n*MRD_SECOND_SN:PCB77\nOK\r\n");
    char sn[kPcbaSnMax + 1] = {};
    EXPECT_EQ(AtReadPcbaSn(sn), 1);
    EXPECT_STREQ(sn, "PCB77\n");
}

TEST_F(IdentityQuery, SnErrorWithOkInTheSameChunkFailsAtOnce)
{
    link.serial.Polls(0, "\r\n*CME ERROR: 100\r\n\r\nOK\r\n");
    char sn[kSnMax + 1] = {};
    EXPECT_EQ(AtReadSn(sn), 0);
    EXPECT_STREQ(sn, "");
    EXPECT_EQ(log.Entries(), 1);
    EXPECT_EQ(link.clock.events.back(), "read 25");  // no purge after the verdict
}

TEST_F(IdentityQuery, SnErrorWithOkLaterPurgesAndFails)
{
    link.serial.Polls(0, "\r\n*CME ERROR: 100\r\n").Polls(0, "\r\nOK\r\n");
    char sn[kSnMax + 1] = {};
    EXPECT_EQ(AtReadPcbaSn(sn), 0);
    EXPECT_EQ(log.Entries(), 1);
    EXPECT_EQ(EventsFromFirstRead(), (Events {"read 19", "read 6", "purge", "sleep 91"}));
}

TEST_F(IdentityQuery, SnErrorWithoutOkEndsInTheCompletionTimeout)
{
    link.serial.Polls(0, "\r\n*CME ERROR: 100\r\n").Silence(101);
    char sn[kSnMax + 1] = {};
    EXPECT_EQ(AtReadSn(sn), 0);
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout12!\n");
    EXPECT_EQ(log.Entries(), 1);
}

TEST_F(IdentityQuery, PrefixWinsOverTheErrorText)
{
    link.serial.Polls(0, "\r\n*MRD_SN:SN9\r\n*CME ERROR: 1\r\n\r\nOK\r\n");
    char sn[kSnMax + 1] = {};
    EXPECT_EQ(AtReadSn(sn), 1);
    EXPECT_STREQ(sn, "SN9");
}

TEST_F(IdentityQuery, AnswerTimeoutTracesNameTheCommandFamily)
{
    link.serial.Silence(101);
    char mac[kMacMax + 1] = {};
    EXPECT_EQ(AtReadMac(mac), 0);
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout5!\n");
    EXPECT_EQ(log.Entries(), 1);
}

// ------------------------------------------------------------------ statuses

using StatusQuery = OpenPort;

TEST_F(StatusQuery, SignalFields)
{
    link.serial.Polls(0, Reply("+CESQ: 99,99,255,255,255,255"));
    char a[kRssiFieldSize] = {}, b[kRssiFieldSize] = {}, c[kRssiFieldSize] = {};
    EXPECT_EQ(AtReadRssi(a, b, c), 1);
    EXPECT_STREQ(a, "99");
    EXPECT_STREQ(b, "255");
    EXPECT_STREQ(c, "255");
}

TEST_F(StatusQuery, NoSimIsAnAnswerNotAFailure)
{
    link.serial.Polls(0, Reply("*SIMDETEC: NOS"));
    char status[kStatusTextSize] = {};
    EXPECT_EQ(AtDetectSim(status), 0);
    EXPECT_STREQ(status, "SIM not inserted");
    EXPECT_EQ(log.Entries(), 0);
    EXPECT_EQ(EventsFromFirstRead(), (Events {"read 24", "purge", "sleep 91"}));
}

TEST_F(StatusQuery, SimAnswerWithOkLaterPurgesOnce)
{
    link.serial.Polls(0, "\r\n*SIMDETEC: SIM\r\n").Polls(0, "\r\nOK\r\n");
    char status[kStatusTextSize] = {};
    EXPECT_EQ(AtDetectSim(status), 1);
    EXPECT_STREQ(status, "SIM inserted");
    EXPECT_EQ(EventsFromFirstRead(), (Events {"read 18", "read 6", "purge", "sleep 91"}));
}

struct SdRow {
    char digit;
    const char* text;
    int result;
    int entries;
};

class SdCard : public OpenPort, public testing::WithParamInterface<SdRow> {};

TEST_P(SdCard, DigitDecides)
{
    link.serial.Polls(0, Reply(std::string("+SDCARD:") + GetParam().digit));
    char status[kStatusTextSize] = {};
    EXPECT_EQ(AtReadSdCard(status), GetParam().result);
    EXPECT_STREQ(status, GetParam().text);
    EXPECT_EQ(log.Entries(), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(States, SdCard,
                         testing::Values(SdRow {'0', "SD inserted", 1, 0}, SdRow {'1', "SD Filesys is not FAT32", 0, 0},
                                         SdRow {'2', "SD cannot read", 0, 0}, SdRow {'3', "SD not inserted", 0, 0},
                                         SdRow {'7', "", 0, 1}));

TEST_F(StatusQuery, WifiStates)
{
    const struct {
        const char* digit;
        int result;
        int entries;
    } rows[] = {{"1", 1, 0}, {"0", 0, 0}, {"2", 0, 0}, {"9", 0, 1}, {"", 0, 1}};
    int entries = 0;
    for (const auto& row : rows) {
        link.serial.Polls(0, Reply(std::string("+WIFIFUN:") + row.digit));
        EXPECT_EQ(AtReadWifiState(), row.result) << row.digit;
        entries += row.entries;
        EXPECT_EQ(log.Entries(), entries) << row.digit;
    }
}

TEST_F(StatusQuery, ChargerRemovedIsFail)
{
    link.serial.Polls(0, Reply("+FUNC CHG:Charger removed"));
    char verdict[kStatusTextSize] = {};
    EXPECT_EQ(AtCheckCharger(verdict), 0);
    EXPECT_STREQ(verdict, "FAIL");
    EXPECT_EQ(log.Entries(), 0);
}

TEST_F(StatusQuery, CalibrationFileWithBothDigitsCountsAsPresent)
{
    link.serial.Polls(0, Reply("*MRD_CDF: 0,1"));
    EXPECT_EQ(AtQueryCalFile(CalFile::Lte), 1);
    link.serial.Polls(0, Reply("*MRD_CDF: 0"));
    EXPECT_EQ(AtQueryCalFile(CalFile::Lte), 0);
    EXPECT_EQ(log.Entries(), 0);
}

TEST_F(StatusQuery, UsbModeOkWithoutPrefixGivesDigitZero)
{
    link.serial.Polls(0, "\r\nOK\r\n");
    char mode = 'x';
    EXPECT_EQ(AtReadUsbMode(&mode), 1);
    EXPECT_EQ(mode, '0');
}

TEST_F(StatusQuery, UsbModeWaitsBeforeItsCompletionPhaseAndNeverPurges)
{
    link.serial.Polls(0, "\r\n+KAVOUSBMODE:5\r\n").Polls(1, "\r\nOK\r\n");
    char mode = 'x';
    EXPECT_EQ(AtReadUsbMode(&mode), 1);
    EXPECT_EQ(mode, '5');
    EXPECT_EQ(EventsFromFirstRead(), (Events {"read 18", "sleep 91", "read 0", "sleep 91", "read 6"}));
}

TEST_F(StatusQuery, UsbModeTimeoutOnlyTraces)
{
    link.serial.Silence(101);
    char mode = 'x';
    EXPECT_EQ(AtReadUsbMode(&mode), 0);
    EXPECT_EQ(mode, 'x');
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout!\n");
    EXPECT_EQ(log.Entries(), 0);
}

TEST_F(StatusQuery, PnLockStates)
{
    const struct {
        const char* reply;
        const char* text;
    } rows[] = {{"*CLCK: 0", "LOCK"}, {"*CLCK: 1", "UNLOCK"}, {"*CLCK: 2", "UNKNOWN"}, {"*CLCK:", "UNKNOWN"}};
    for (const auto& row : rows) {
        link.serial.Polls(0, Reply(row.reply));
        char state[kStatusTextSize] = {};
        EXPECT_EQ(AtReadPnLock(state), 1) << row.reply;
        EXPECT_STREQ(state, row.text);
    }
}

TEST_F(StatusQuery, PnLockTextStaysAfterACompletionTimeout)
{
    link.serial.Polls(0, "\r\n*CLCK: 1\r\n").Silence(101);
    char state[kStatusTextSize] = {};
    EXPECT_EQ(AtReadPnLock(state), 0);
    EXPECT_STREQ(state, "UNLOCK");
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout2!\n");
}

TEST_F(StatusQuery, UnitErrorTextIsNotAnAnswer)
{
    link.serial.Polls(0, "\r\nERROR\r\n").Silence(101);
    EXPECT_EQ(AtReadWifiState(), 0);
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout11!\n");
    EXPECT_EQ(log.Entries(), 1);
}

// -------------------------------------------------------------------- writes

using Write = OpenPort;

TEST_F(Write, ErrorToTheFirstStepRunsIntoItsTimeoutAndSendsNoSecond)
{
    link.serial.Polls(0, "\r\n+CME ERROR: 3\r\n").Silence(101);
    EXPECT_EQ(AtWriteImei("867400012345678"), 0);
    EXPECT_EQ(link.serial.writes, (std::vector<std::string> {"AT*MRD_IMEI=D\r\n"}));
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout3!\n");
    EXPECT_EQ(log.Entries(), 1);
}

TEST_F(Write, SecondStepErrorFailsWithAnEntry)
{
    link.serial.Polls(0, "\r\nOK\r\n").Polls(2, "\r\n+CME ERROR: 3\r\n");
    EXPECT_EQ(AtWriteMac("A45E60C1229F"), 0);
    EXPECT_EQ(log.Entries(), 1);
    EXPECT_EQ(link.traces.texts, "");
}

TEST_F(Write, SecondStepTimeoutTracesItsNumber)
{
    link.serial.Polls(0, "\r\nOK\r\n").Silence(101);
    EXPECT_EQ(AtWriteSn("SN0001"), 0);
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout14!\n");
    EXPECT_EQ(log.Entries(), 1);
}

TEST_F(Write, SecondStepDropsOtherChunksUntilTheVerdict)
{
    link.serial.Polls(0, "\r\nOK\r\n").Polls(0, "\r\n+NOISE\r\n").Polls(0, "\r\nOK\r\n");
    EXPECT_EQ(AtWriteSn("SN0001"), 1);
}

TEST_F(Write, UsbModeFiveSendsBothStepsAndTimesOutWithoutAnEntry)
{
    link.serial.Polls(0, "\r\nOK\r\n").Silence(101);
    EXPECT_EQ(AtWriteUsbMode(5), 0);
    EXPECT_EQ(link.serial.writes, (std::vector<std::string> {"AT+kavousbmode=d\r\n", "AT+kavousbmode=w,5\r\n"}));
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout!\n");
    EXPECT_EQ(log.Entries(), 0);
}

TEST_F(Write, UsbModeErrorAnswerIsSilent)
{
    link.serial.Polls(0, "\r\nOK\r\n").Polls(0, "\r\n+CME ERROR: 4\r\n");
    EXPECT_EQ(AtWriteUsbMode(0), 0);
    EXPECT_EQ(link.traces.texts, "");
    EXPECT_EQ(log.Entries(), 0);
}

TEST_F(Write, ValuesTooLongForTheirRequestAreRefusedBeforeSending)
{
    EXPECT_EQ(AtWriteImei("86740001234567890"), 0);      // 17 > 16
    EXPECT_EQ(AtWriteMac("A45E60C1229F00"), 0);          // 14 > 13
    EXPECT_EQ(AtWriteSn("SN34567890123456789012"), 0);   // 22 > 20
    char result[kStatusTextSize] = {};
    EXPECT_EQ(AtUnlockPn("1234567890123456789", result), 0);  // 19 > 18
    EXPECT_EQ(AtWriteUsbMode(3), 0);
    EXPECT_TRUE(link.serial.writes.empty());
    EXPECT_TRUE(link.clock.events.empty());
    EXPECT_EQ(log.Entries(), 0);
    EXPECT_NE(link.traces.texts.find("IMEI of 17 characters refused, at most 16"), std::string::npos);
    EXPECT_NE(link.traces.texts.find("unlock code of 19 characters refused, at most 18"), std::string::npos);
    EXPECT_NE(link.traces.texts.find("USB mode 3 refused"), std::string::npos);
}

TEST_F(Write, LongestValuesAreSent)
{
    link.serial.Polls(0, "\r\nOK\r\n").Polls(0, "\r\nOK\r\n");
    EXPECT_EQ(AtWriteSn("SN345678901234567890"), 1);
    EXPECT_EQ(link.serial.writes.back(), "AT*MRD_SN=W,,,SN345678901234567890\r\n");
}

// ------------------------------------------------------- actions and control

using Control = OpenPort;

TEST_F(Control, LockErrorWritesLockFail)
{
    link.serial.Polls(0, "\r\n+CME ERROR: 16\r\n");
    char result[kStatusTextSize] = {};
    EXPECT_EQ(AtLockPn(result), 0);
    EXPECT_STREQ(result, "LOCK FAIL");
    EXPECT_EQ(log.Entries(), 1);
}

TEST_F(Control, UnlockSuccessAndTimeout)
{
    link.serial.Polls(0, "\r\nOK\r\n");
    char result[kStatusTextSize] = {};
    EXPECT_EQ(AtUnlockPn("12345678", result), 1);
    EXPECT_STREQ(result, "UNLOCK SUCCESS");

    link.serial.Silence(101);
    char none[kStatusTextSize] = {};
    EXPECT_EQ(AtUnlockPn("12345678", none), 0);
    EXPECT_STREQ(none, "");
    EXPECT_EQ(link.traces.texts,
              "ERROR: ate ReceivePackage counter = 101  at = \n"
              "ERROR: ate item timeout1!\n");
    EXPECT_EQ(log.Entries(), 1);
}

TEST_F(Control, PowerOffSucceedsWhateverTheUnitAnswers)
{
    link.serial.Polls(0, "\r\nERROR\r\n");
    EXPECT_EQ(AtPowerOff(), 1);
    EXPECT_EQ(link.serial.reads, 0);
}

TEST_F(Control, FireAndForgetSendFailureIsLogged)
{
    link.serial.FailWrite(true);
    EXPECT_EQ(AtReset(), 0);
    EXPECT_EQ(link.traces.texts, "ERROR: sending ate item command!\n");
    EXPECT_EQ(log.Entries(), 1);
}

TEST_F(Control, ScreenCommandWaitsForItsAnswerText)
{
    link.serial.Polls(0, Reply("+FUNC LCD:Resume LCD")).Polls(0, Reply("+FUNC LCD:Light up LCD"));
    EXPECT_EQ(AtLcdOn(), 1);
    EXPECT_EQ(link.serial.reads, 2);
}

TEST_F(Control, KeyReportWithBothDigitsIsPass)
{
    link.serial.Polls(0, "\r\n+FUNC KEY:2,0\r\n");
    char result[kStatusTextSize] = {};
    EXPECT_EQ(AtPollKeyReport(result), 1);
    EXPECT_STREQ(result, "PASS");
    EXPECT_TRUE(link.serial.writes.empty());
}

TEST_F(Control, KeyReportTwoIsFail)
{
    link.serial.Polls(3, "\r\n+FUNC KEY:2\r\n");
    char result[kStatusTextSize] = {};
    EXPECT_EQ(AtPollKeyReport(result), 1);
    EXPECT_STREQ(result, "FAIL");
}

TEST_F(Control, KeyReportGivesUpAfterElevenEmptyPolls)
{
    link.serial.Polls(0, "\r\n+FUNC KEY:Waiting For Press\r\n").Silence(11);
    char result[kStatusTextSize] = {};
    EXPECT_EQ(AtPollKeyReport(result), 0);
    EXPECT_STREQ(result, "");
    EXPECT_EQ(link.serial.emptyReads, 11);
    EXPECT_EQ(link.traces.texts, "");
    EXPECT_EQ(log.Entries(), 0);
}

TEST_F(Control, KeyReportListenOnAChatteringPortEndsAfterItsSilentTime)
{
    for (int64_t at = 150; at < 20000; at += 150)
        link.serial.ArriveIn(at, "\r\n+CREG: 1\r\n");
    char result[kStatusTextSize] = {};
    EXPECT_EQ(AtPollKeyReport(result), 0);
    EXPECT_GE(link.Elapsed(), 11 * (200 + 91));
    EXPECT_LT(link.Elapsed(), 11 * (200 + 91) + 150);
    EXPECT_EQ(log.Entries(), 0);
}

TEST(KeyReportWithoutPort, WritesAnEntry)
{
    LogCapture log;
    VirtualLink link;
    char result[kStatusTextSize] = {};
    EXPECT_EQ(AtPollKeyReport(result), 0);
    EXPECT_EQ(log.Entries(), 1);
}

TEST(UsbModeWithoutPort, FailsWithoutAnEntry)
{
    LogCapture log;
    VirtualLink link;
    char mode = 'x';
    EXPECT_EQ(AtReadUsbMode(&mode), 0);
    EXPECT_EQ(AtWriteUsbMode(2), 0);
    EXPECT_EQ(log.Entries(), 0);
}

}  // namespace
