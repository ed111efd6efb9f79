// The lookup database: SCAN MAC and SCAN SN filled from the row of the
// scanned IMEI in a table prepared beforehand, as if they had been scanned.
#include "station/CRuriZudaDlg.h"

#include "link/Trace.h"
#include "records/ImeiLookup.h"
#include "records/ResultStore.h"
#include "station/ControlIds.h"

namespace {

// Both lookups report a missing or unreadable file with this text.
constexpr const char* kLookupFailed = "Failed to read MAC from DB!";

// The longest texts the scan fields take, and the scanned-IMEI copy.
constexpr size_t kScanMacLimit = 18;
constexpr size_t kScanSnLimit = 28;
constexpr size_t kScannedImeiLength = 16;

}  // namespace

int CRuriZudaDlg::LookupMacByImei()
{
    return LookUpScanField("MAC", ctl::kScanMac, kScanMacLimit);
}

int CRuriZudaDlg::LookupSnByImei()
{
    return LookUpScanField("SN", ctl::kScanSn, kScanSnLimit);
}

int CRuriZudaDlg::LookUpScanField(const char* column, int field, size_t fieldLimit)
{
    const auto& db = profile.readFromDb;
    const std::string path = StationFilesDir().string() + "/" + db.readDbFileName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        window_.MessageBox(kLookupFailed, kApplicationName, BoxIcon::Warning);
        return 0;
    }
    UpdateData();
    scanned.imei = bound.scanImei.substr(0, kScannedImeiLength);

    std::optional<std::string> found;
    try {
        found = lookup_.Find(path, db.readDbTableName, column, scanned.imei);
    } catch (const StoreError& failure) {
        window_.MessageBox(std::string(kLookupFailed) + "\n" + failure.what(), kApplicationName, BoxIcon::Warning);
        return 0;
    }
    if (!found)
        return 0;
    std::string value = *found;
    if (value.size() > fieldLimit) {
        const std::string trace = std::string("lookup: ") + column + " \"" + value + "\" of IMEI " + scanned.imei +
                                  " is longer than the scan field; cut to " + std::to_string(fieldLimit) +
                                  " characters\n";
        TraceOut(trace.c_str());
        value.resize(fieldLimit);
    }
    window_.SetText(field, value);
    UpdateData();
    window_.RepaintNow();
    return 1;
}
