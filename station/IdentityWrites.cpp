// Identity writes of the writing station: IMEI, MAC and SN from the input
// boxes of the identity-write group, alone or combined, with the input boxes
// advanced to the next unit of the series. None sets a failure bit.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"
#include "station/ControlIds.h"
#include "station/SeriesNumbers.h"

namespace {

// Shortest and longest inputs the write steps take.
constexpr std::size_t kMacInputMinimum = 12;
constexpr std::size_t kSnMinimum = 9;
constexpr std::size_t kSnMaximum = 19;  // what the SN write command carries
// WRITE SN and MAC: the configured leading characters and the SN's tail.
constexpr std::size_t kSnTailInMac = 4;

constexpr const char* kImeiTooShort = "The IMEI length is less than 14!";
constexpr const char* kImeiTooLong = "The IMEI length is more than 15!";
constexpr const char* kImeiNotDigits = "The IMEI must consist of digits only!";
constexpr const char* kMacTooShort = "The MAC length is less than 12!";
constexpr const char* kMacNotTwelveDigits = "The MAC length in not equals to 12!";
constexpr const char* kSnTooShort = "The SN length is less than 9!";
constexpr const char* kSnTooLong = "The SN length is more than 19!";
constexpr const char* kCannotAddOne = "cannot add 1 by itself!";

}  // namespace

void CRuriZudaDlg::ShowIdentityWriteGroup()
{
    const auto& o = profile.writeOptions;
    const std::pair<int, const std::string*> shown[] = {
        {ctl::kMacFirst8Box, &o.macFirst8Bytes},
        {ctl::kWriteSnAndMacBox, &o.writeSnAndMac},
        {ctl::kReadAfterWriteSnBox, &o.readAfterWriteSn},
        {ctl::kClearAfterWriteSnBox, &o.clearAfterWriteSn},
        {ctl::kClearAfterWriteMacBox, &o.clearAfterWriteMac},
        {ctl::kClearAfterWriteImeiBox, &o.clearAfterWriteImei},
    };
    for (const auto& [control, text] : shown)
        window_.SetText(control, *text);
    if (options_.engineering) {
        for (int control : ctl::kIdentityWriteGroup)
            window_.SetVisible(control, true);
    }
    window_.RepaintNow();
}

int CRuriZudaDlg::WriteImeiStep()
{
    const std::string input = bound.writeImei;
    writtenImei.clear();
    if (input.size() < kImeiBodyLength) {
        Warn(kImeiTooShort);
        return 0;
    }
    if (input.size() > kImeiLength) {
        Warn(kImeiTooLong);
        return 0;
    }
    std::string imei = input;
    if (imei.size() == kImeiBodyLength) {
        const std::optional<char> checkDigit = ImeiCheckDigit(imei);
        if (!checkDigit) {
            Warn(kImeiNotDigits);
            return 0;
        }
        imei += *checkDigit;
    }
    writtenImei = imei;
    if (!AtWriteImei(writtenImei.c_str()))
        return 0;
    // The unit is written: whatever happens to the box, the step succeeded.
    if (IsOn(profile.writeOptions.clearAfterWriteImei)) {
        window_.SetText(ctl::kWriteImeiEdit, "");
    } else if (const auto next = NextDecimal(input.substr(0, kImeiBodyLength))) {
        window_.SetText(ctl::kWriteImeiEdit, *next);
    } else {
        Warn(kCannotAddOne);
    }
    return 1;
}

int CRuriZudaDlg::WriteMacText(const std::string& text)
{
    writtenMac.clear();
    if (text.size() < kMacInputMinimum) {
        Warn(kMacTooShort);
        return 0;
    }
    const std::string digits = MacDigitsOf(text);
    if (digits.size() != kMacDigitCount) {
        Warn(kMacNotTwelveDigits);
        return 0;
    }
    writtenMac = digits;
    return AtWriteMac(writtenMac.c_str());
}

int CRuriZudaDlg::WriteMacStep()
{
    const std::string input = bound.writeMac;
    if (!WriteMacText(input))
        return 0;
    window_.SetText(ctl::kWriteMacEdit, IsOn(profile.writeOptions.clearAfterWriteMac) ? "" : NextHex(input));
    return 1;
}

int CRuriZudaDlg::WriteSnStep()
{
    const std::string input = bound.writeSn;
    writtenSn.clear();
    if (input.size() < kSnMinimum) {
        Warn(kSnTooShort);
        return 0;
    }
    if (input.size() > kSnMaximum) {
        Warn(kSnTooLong);
        return 0;
    }
    writtenSn = input;
    if (!AtWriteSn(writtenSn.c_str()))
        return 0;
    // The SN has no series of its own: the box keeps it unless cleared.
    const auto& options = profile.writeOptions;
    if (IsOn(options.clearAfterWriteSn))
        window_.SetText(ctl::kWriteSnEdit, "");
    if (IsOn(options.writeSnAndMac)
        && !WriteMacText(options.macFirst8Bytes + writtenSn.substr(writtenSn.size() - kSnTailInMac)))
        return 0;
    if (IsOn(options.readAfterWriteSn) && !(SnItem() && MacItem()))
        return 0;
    return 1;
}

int CRuriZudaDlg::Step(int result, const char* failure)
{
    if (!result)
        ShowStatus(kind::kMainFail, failure);
    return result;
}

int CRuriZudaDlg::WriteSnMacImeiSteps()
{
    return Step(WriteSnStep(), "Failed to write SN!")
        && Step(WriteMacStep(), "Write SN successfully,failed to write MAC!")
        && Step(WriteImeiStep(), "Write SN and MAC successfully,failed to write IMEI!");
}

int CRuriZudaDlg::WriteMacImeiSteps()
{
    return Step(SnItem(), "Failed to read SN!")
        && Step(WriteMacStep(), "Read SN successfully,failed to write MAC!")
        && Step(WriteImeiStep(), "Read SN and write MAC successfully,Failed to write IMEI!")
        && Step(MacItem(), "Failed to read MAC!")
        && Step(ImeiItem(), "Failed to read IMEI!")
        && Step(ReportedMacMatches(unit.mac, writtenMac), "Read and writen MAC donot match!")
        && Step(unit.imei == writtenImei, "Read and writen IMEI donot match!");
}
