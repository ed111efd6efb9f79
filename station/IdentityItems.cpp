// Reading the unit's identities: version and release date, IMEI, MAC, SN,
// PCBA SN and SSID. Each item shows what it read and judges it at once.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"
#include "station/BufferText.h"
#include "station/ControlIds.h"

namespace {

// Longest texts the identity boxes show.
constexpr size_t kVersionShown = 56;
constexpr size_t kImeiShown = 16;
constexpr size_t kMacShown = 20;
constexpr size_t kSnShown = 28;
constexpr size_t kPcbaSnShown = 28;
constexpr size_t kSsidShown = 56;

// Holds the longest identity a read command returns, and its terminator.
constexpr size_t kIdentityBufferSize = kSsidMax + 1;
static_assert(kIdentityBufferSize > kImeiMax && kIdentityBufferSize > kMacMax && kIdentityBufferSize > kSnMax
              && kIdentityBufferSize > kPcbaSnMax);

constexpr const char* kVersionOutOfRange = "The Version is out of range!";
constexpr const char* kSsidOutOfRange = "The SSID is out of range!";

}  // namespace

int CRuriZudaDlg::VersionItem()
{
    // The old values disappear before the query.
    unit.version.clear();
    unit.releaseDate.clear();
    window_.SetText(ctl::kVersionBox, "");
    window_.SetText(ctl::kRelDateBox, "");
    window_.RepaintNow();

    char version[kVersionMax + 1] = {};
    char releaseDate[kVersionMax + 1] = {};
    const int read = AtReadVersion(version, releaseDate);
    // A reply whose "OK" never came still leaves what was extracted.
    unit.version = TextOf(version);
    unit.releaseDate = TextOf(releaseDate);
    if (!read)
        return 0;  // the boxes stay empty
    ShowValue(ctl::kVersionBox, unit.version, kVersionShown);
    ShowValue(ctl::kRelDateBox, unit.releaseDate, kVersionShown);
    if (!CheckVersion()) {
        Warn(kVersionOutOfRange);
        return 0;
    }
    return 1;
}

int CRuriZudaDlg::ReadIdentity(std::string UnitRecord::*value, int (*read)(char*), int box, size_t shown)
{
    std::string& text = unit.*value;
    text.clear();
    char buffer[kIdentityBufferSize] = {};
    const int result = read(buffer);
    // A reply whose "OK" never came still leaves what was extracted, and the
    // unit can be stored with it as a failed unit.
    text = TextOf(buffer);
    if (!result)
        return 0;  // the box keeps what it showed
    ShowValue(box, text, shown);
    return 1;
}

int CRuriZudaDlg::ImeiItem()
{
    return ReadIdentity(&UnitRecord::imei, AtReadImei, ctl::kImeiBox, kImeiShown) && CheckImei();
}

int CRuriZudaDlg::MacItem()
{
    return ReadIdentity(&UnitRecord::mac, AtReadMac, ctl::kMacBox, kMacShown) && CheckMac();
}

int CRuriZudaDlg::SnItem()
{
    return ReadIdentity(&UnitRecord::sn, AtReadSn, ctl::kSnBox, kSnShown) && CheckSn();
}

int CRuriZudaDlg::PcbaSnItem()
{
    return ReadIdentity(&UnitRecord::pcbaSn, AtReadPcbaSn, ctl::kPcbaSnBox, kPcbaSnShown) && CheckPcbaSn();
}

int CRuriZudaDlg::SsidItem()
{
    if (!ReadIdentity(&UnitRecord::ssid, AtReadSsid, ctl::kSsidBox, kSsidShown))
        return 0;
    if (!CheckSsid()) {
        Warn(kSsidOutOfRange);
        return 0;
    }
    return 1;
}
