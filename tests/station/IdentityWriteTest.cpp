// The identity writes against the simulated unit: what the operator sees,
// what the unit keeps, and where the input boxes stand afterwards.
#include "tests/station/StationFixture.h"
#include "tests/station/StatusEvents.h"

namespace {

using Events = std::vector<std::string>;
constexpr int kMain = ctl::kMainLamp;

// The simulated unit as it starts.
const sim::UnitState kBlank;

struct Inputs {
    std::string imei {};
    std::string mac {};
    std::string sn {};
};

// What the unit holds afterwards, as it keeps it.
struct Kept {
    std::string imei = kBlank.imei;
    std::string mac = kBlank.mac;
    std::string sn = kBlank.sn;
};

using BreakUnit = void (*)(SimulatedUnit&, ScriptedSerial&);

struct WriteCase {
    const char* name;
    const char* writeOptions;  // the [WriteOptions] section's lines
    int button;
    Inputs typed;
    BreakUnit breakUnit;
    Events seen;
    Kept kept;
    Inputs boxes;  // the input boxes afterwards
};

Events Wrote(const char* success)
{
    return Started(kMain) + Report(kMain, "success", success);
}

Events Refused(const char* warning, const std::string& failure)
{
    return Started(kMain) + Events {std::string("box WARNING warning: ") + warning} + Report(kMain, "fail", failure);
}

Events Failed(const std::string& failure)
{
    return Started(kMain) + Report(kMain, "fail", failure);
}

void WritesFail(SimulatedUnit&, ScriptedSerial& port)
{
    port.FailWrite(true);
}

void SnUnreadable(SimulatedUnit& unit, ScriptedSerial&)
{
    unit.State().snError = true;
}

// The unit acknowledges a write of `Field` but keeps its old value.
template <std::string sim::UnitState::*Field>
void ForgetsWrites(SimulatedUnit& unit, ScriptedSerial& port)
{
    port.SetResponder([&unit](std::string_view written, ScriptedSerial& serial) {
        const std::string kept = unit.State().*Field;
        for (auto& write : unit.Unit().Receive(written))
            serial.ArriveIn(write.delayMs, std::move(write.bytes));
        unit.State().*Field = kept;
    });
}

constexpr const char* kImeiOk = "Write IMEI successfully";
constexpr const char* kMacOk = "Write MAC successfully";
constexpr const char* kSnOk = "Write SN successfully";
constexpr const char* kAllOk = "Write SN and MAC and IMEI successfully!";
constexpr const char* kReadBackOk = "Read SN and write MAC and write IMEI successfully!";
const Inputs kSeries {"49015420323751", "00:1a:2b:3c:4d:5e", "RZ26A0145999"};
const Inputs kSeriesNext {"49015420323752", "00:1A:2B:3C:4D:5F", "RZ26A0145999"};

const WriteCase kCases[] = {
    // IMEI.
    {"ImeiOf14DigitsGetsItsCheckDigit", "", ctl::kWriteImei, {"49015420323751"}, nullptr, Wrote(kImeiOk),
     {.imei = "490154203237518"}, {"49015420323752"}},
    {"ImeiOf15DigitsIsWrittenAsTyped", "", ctl::kWriteImei, {"490154203237517"}, nullptr, Wrote(kImeiOk),
     {.imei = "490154203237517"}, {"49015420323752"}},
    {"ImeiOf13Refused", "", ctl::kWriteImei, {"4901542032375"}, nullptr,
     Refused("The IMEI length is less than 14!", "Failed to write IMEI!"), {}, {"4901542032375"}},
    {"ImeiOf14WithALetterRefused", "", ctl::kWriteImei, {"4901542032375A"}, nullptr,
     Refused("The IMEI must consist of digits only!", "Failed to write IMEI!"), {}, {"4901542032375A"}},
    {"ImeiOver15Refused", "", ctl::kWriteImei, {"4901542032375180"}, nullptr,
     Refused("The IMEI length is more than 15!", "Failed to write IMEI!"), {}, {"4901542032375180"}},
    {"ImeiThatCannotAdvanceIsWrittenAndKept", "", ctl::kWriteImei, {"4901542032375X8"}, nullptr,
     Started(kMain) + Events {"box WARNING warning: cannot add 1 by itself!"} + Report(kMain, "success", kImeiOk),
     {.imei = "4901542032375X8"}, {"4901542032375X8"}},
    {"FailedImeiWriteKeepsTheBox", "", ctl::kWriteImei, {"49015420323751"}, WritesFail,
     Failed("Failed to write IMEI!"), {}, {"49015420323751"}},
    {"ClearAfterWriteImei", "CLEAR_AFTER_WRITE_IMEI=YES\n", ctl::kWriteImei, {"49015420323751"}, nullptr,
     Wrote(kImeiOk), {.imei = "490154203237518"}, {""}},

    // MAC.
    {"MacIsWrittenAsTwelveUpperDigits", "", ctl::kWriteMac, {"", "00:1a:2b:3c:4d:5e"}, nullptr, Wrote(kMacOk),
     {.mac = "00:1a:2b:3c:4d:5e"}, {"", "00:1A:2B:3C:4D:5F"}},
    {"MacOf13DigitsRefused", "", ctl::kWriteMac, {"", "001A2B3C4D5E6"}, nullptr,
     Refused("The MAC length in not equals to 12!", "Failed to write MAC!"), {}, {"", "001A2B3C4D5E6"}},
    {"ShortMacRefused", "", ctl::kWriteMac, {"", "001A2B3C4D5"}, nullptr,
     Refused("The MAC length is less than 12!", "Failed to write MAC!"), {}, {"", "001A2B3C4D5"}},
    {"ClearAfterWriteMac", "CLEAR_AFTER_WRITE_MAC=YES\n", ctl::kWriteMac, {"", "001A2B3C4D5E"}, nullptr,
     Wrote(kMacOk), {.mac = "00:1a:2b:3c:4d:5e"}, {"", ""}},

    // SN.
    {"SnOfNineIsWrittenAndKeptInTheBox", "", ctl::kWriteSn, {"", "", "RZ26A0149"}, nullptr, Wrote(kSnOk),
     {.sn = "RZ26A0149"}, {"", "", "RZ26A0149"}},
    {"SnOf8Refused", "", ctl::kWriteSn, {"", "", "RZ26A014"}, nullptr,
     Refused("The SN length is less than 9!", "Failed to write SN!"), {}, {"", "", "RZ26A014"}},
    {"SnOver19RefusedNotCut", "", ctl::kWriteSn, {"", "", "RZ26A01458710000000X"}, nullptr,
     Refused("The SN length is more than 19!", "Failed to write SN!"), {}, {"", "", "RZ26A01458710000000X"}},
    {"ClearAfterWriteSn", "CLEAR_AFTER_WRITE_SN=YES\n", ctl::kWriteSn, {"", "", "RZ26A0145999"}, nullptr,
     Wrote(kSnOk), {.sn = "RZ26A0145999"}, {"", "", ""}},
    {"WriteSnAndMacBuildsTheMacFromTheSn", "WRITE_SN_AND_MAC=YES\nMAC_FIRST_8_BYTES=A45E60C1\n", ctl::kWriteSn,
     {"", "", "RZ26A0145999"}, nullptr, Wrote(kSnOk), {.mac = "a4:5e:60:c1:59:99", .sn = "RZ26A0145999"},
     {"", "", "RZ26A0145999"}},
    {"WriteSnAndMacWithShortPrefixRefusesTheMac", "WRITE_SN_AND_MAC=YES\nMAC_FIRST_8_BYTES=A45E60\n", ctl::kWriteSn,
     {"", "", "RZ26A0145999"}, nullptr, Refused("The MAC length is less than 12!", "Failed to write SN!"),
     {.sn = "RZ26A0145999"}, {"", "", "RZ26A0145999"}},
    {"ReadAfterWriteSn", "READ_AFTER_WRITE_SN=YES\n", ctl::kWriteSn, {"", "", "RZ26A0145999"}, nullptr, Wrote(kSnOk),
     {.sn = "RZ26A0145999"}, {"", "", "RZ26A0145999"}},
    {"ReadAfterWriteSnThatFails", "READ_AFTER_WRITE_SN=YES\n", ctl::kWriteSn, {"", "", "RZ26A0145999"}, SnUnreadable,
     Failed("Failed to write SN!"), {.sn = "RZ26A0145999"}, {"", "", "RZ26A0145999"}},

    // WRITE SNMACIMEI.
    {"SnMacImeiWritesAllThree", "", ctl::kWriteSnMacImei, kSeries, nullptr, Wrote(kAllOk),
     {"490154203237518", "00:1a:2b:3c:4d:5e", "RZ26A0145999"}, kSeriesNext},
    {"SnMacImeiStopsAtTheSn", "", ctl::kWriteSnMacImei, {kSeries.imei, kSeries.mac, "RZ26A01"}, nullptr,
     Refused("The SN length is less than 9!", "Failed to write SN!"), {}, {kSeries.imei, kSeries.mac, "RZ26A01"}},
    {"SnMacImeiWithShortMacWritesOnlyTheSn", "", ctl::kWriteSnMacImei, {kSeries.imei, "00:1A", kSeries.sn}, nullptr,
     Refused("The MAC length is less than 12!", "Write SN successfully,failed to write MAC!"),
     {.sn = "RZ26A0145999"}, {kSeries.imei, "00:1A", kSeries.sn}},
    {"SnMacImeiStopsAtTheImei", "", ctl::kWriteSnMacImei, {"4901542032375", kSeries.mac, kSeries.sn}, nullptr,
     Refused("The IMEI length is less than 14!", "Write SN and MAC successfully,failed to write IMEI!"),
     {kBlank.imei, "00:1a:2b:3c:4d:5e", "RZ26A0145999"}, {"4901542032375", kSeriesNext.mac, kSeries.sn}},

    // WRITE MACIMEI: the unit reports the MAC with hyphens.
    {"MacImeiReadsBackAndCompares", "", ctl::kWriteMacImei, kSeries, nullptr, Wrote(kReadBackOk),
     {"490154203237518", "00:1a:2b:3c:4d:5e", kBlank.sn}, kSeriesNext},
    {"MacImeiStopsWhenTheSnCannotBeRead", "", ctl::kWriteMacImei, kSeries, SnUnreadable, Failed("Failed to read SN!"),
     {}, kSeries},
    {"MacImeiWithShortMac", "", ctl::kWriteMacImei, {kSeries.imei, "00:1A", kSeries.sn}, nullptr,
     Refused("The MAC length is less than 12!", "Read SN successfully,failed to write MAC!"), {},
     {kSeries.imei, "00:1A", kSeries.sn}},
    {"MacImeiWithShortImei", "", ctl::kWriteMacImei, {"4901542032375", kSeries.mac, kSeries.sn}, nullptr,
     Refused("The IMEI length is less than 14!", "Read SN and write MAC successfully,Failed to write IMEI!"),
     {.mac = "00:1a:2b:3c:4d:5e"}, {"4901542032375", kSeriesNext.mac, kSeries.sn}},
    {"MacImeiFindsTheMacNotKept", "", ctl::kWriteMacImei, kSeries, ForgetsWrites<&sim::UnitState::mac>,
     Failed("Read and writen MAC donot match!"), {.imei = "490154203237518"}, kSeriesNext},
    {"MacImeiFindsTheImeiNotKept", "", ctl::kWriteMacImei, kSeries, ForgetsWrites<&sim::UnitState::imei>,
     Failed("Read and writen IMEI donot match!"), {.mac = "00:1a:2b:3c:4d:5e"}, kSeriesNext},
};

class IdentityWrite : public StationFixture, public testing::WithParamInterface<WriteCase> {};

TEST_P(IdentityWrite, ReportsKeepsAndAdvances)
{
    const WriteCase& c = GetParam();
    WriteProfile(std::string("[WriteOptions]\n") + c.writeOptions);
    Start();
    window.SetText(ctl::kWriteImeiEdit, c.typed.imei);
    window.SetText(ctl::kWriteMacEdit, c.typed.mac);
    window.SetText(ctl::kWriteSnEdit, c.typed.sn);
    if (c.breakUnit)
        c.breakUnit(unit, link.serial);
    window.events.clear();

    station->OnCommand(c.button);

    EXPECT_EQ(StatusEvents(window), c.seen);
    EXPECT_EQ(unit.State().imei, c.kept.imei);
    EXPECT_EQ(unit.State().mac, c.kept.mac);
    EXPECT_EQ(unit.State().sn, c.kept.sn);
    EXPECT_EQ(window.Text(ctl::kWriteImeiEdit), c.boxes.imei);
    EXPECT_EQ(window.Text(ctl::kWriteMacEdit), c.boxes.mac);
    EXPECT_EQ(window.Text(ctl::kWriteSnEdit), c.boxes.sn);
    EXPECT_EQ(station->FailureMask, 0u);
    EXPECT_EQ(station->OperationBusy, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, IdentityWrite, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

using IdentityWriteStation = StationFixture;

TEST_F(IdentityWriteStation, RefusedInputSendsNothingToTheUnit)
{
    Start();
    window.SetText(ctl::kWriteImeiEdit, "4901542032375");
    window.SetText(ctl::kWriteMacEdit, "001A2B3C4D5E6");
    window.SetText(ctl::kWriteSnEdit, "RZ26A01458710000000X");
    for (int button : {ctl::kWriteImei, ctl::kWriteMac, ctl::kWriteSn})
        station->OnCommand(button);
    EXPECT_TRUE(link.serial.writes.empty());
}

TEST_F(IdentityWriteStation, MacIsSentAsTwelveUpperCaseDigits)
{
    Start();
    window.SetText(ctl::kWriteMacEdit, "00:1a:2b:3c:4d:5e");
    station->OnWriteMac();
    EXPECT_EQ(station->writtenMac, "001A2B3C4D5E");
    EXPECT_NE(std::find(link.serial.writes.begin(), link.serial.writes.end(), "AT+KAVOMAC=W,001A2B3C4D5E\r\n"),
              link.serial.writes.end());
}

TEST_F(IdentityWriteStation, PressingAgainWritesTheNextUnitOfTheSeries)
{
    Start();
    window.SetText(ctl::kWriteImeiEdit, "86740001234567");
    window.SetText(ctl::kWriteMacEdit, "A4-5E-60-C1-22-FF");
    window.SetText(ctl::kWriteSnEdit, "RZ26A0145871");
    const std::pair<const char*, const char*> series[] = {
        {"867400012345678", "a4:5e:60:c1:22:ff"},
        {"867400012345686", "a4:5e:60:c1:23:00"},
        {"867400012345694", "a4:5e:60:c1:23:01"},
    };
    for (const auto& [imei, mac] : series) {
        station->OnWriteSnMacImei();
        EXPECT_EQ(window.Text(ctl::kResultBox), "Write SN and MAC and IMEI successfully!");
        EXPECT_EQ(unit.State().imei, imei);
        EXPECT_EQ(unit.State().mac, mac);
    }
}

TEST_F(IdentityWriteStation, GroupIsShownOnlyOnTheWritingStationWithItsOptions)
{
    WriteProfile("[WriteOptions]\nCLEAR_AFTER_WRITE_MAC=YES\nMAC_FIRST_8_BYTES=A45E60C1\n");
    for (bool engineering : {false, true}) {
        for (int control : ctl::kIdentityWriteGroup)
            window.SetVisible(control, false);
        StationOptions options {kUnitPort};
        options.engineering = engineering;
        Start(options);
        for (int control : ctl::kIdentityWriteGroup)
            EXPECT_EQ(window.IsVisible(control), engineering) << control;
    }
    EXPECT_EQ(window.Text(ctl::kClearAfterWriteMacBox), "YES");
    EXPECT_EQ(window.Text(ctl::kMacFirst8Box), "A45E60C1");
    EXPECT_EQ(window.Text(ctl::kClearAfterWriteImeiBox), "");
}

}  // namespace
