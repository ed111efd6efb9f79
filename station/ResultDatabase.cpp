// TEST FINISH: the unit stored as one row of SNTable in PASS.mdb or FAIL.mdb
// beside the executable, refused when a stored row shares an identity with
// it, unless the station is in maintenance mode.
#include "station/CRuriZudaDlg.h"

#include "records/ExecutableDir.h"
#include "records/PgResultStore.h"
#include "records/ResultStore.h"
#include "records/UnitJournal.h"

namespace {

constexpr const char* kPassFile = "PASS.mdb";
constexpr const char* kFailFile = "FAIL.mdb";
constexpr const char* kDatabaseCreated = "Database is created";
constexpr const char* kRepairMark = "YES";
constexpr const char* kStoreFailedPrefix = "The unit was not stored: ";
constexpr const char* kIncompleteRefusal = "a value the unit must have is missing";

// Where each stored value of the unit goes; DTIME and ISREPAIR are set when
// the row is inserted.
const std::pair<Column, std::string UnitRecord::*> kStoredValues[] = {
    {Column::Ver, &UnitRecord::version},
    {Column::ReleaseTime, &UnitRecord::releaseDate},
    {Column::Sn, &UnitRecord::sn},
    {Column::PcbaSn, &UnitRecord::pcbaSn},
    {Column::Mac, &UnitRecord::mac},
    {Column::Imei, &UnitRecord::imei},
    {Column::Ssid, &UnitRecord::ssid},
    {Column::Sim, &UnitRecord::simText},
    {Column::Sd, &UnitRecord::sdText},
    {Column::KavoKey, &UnitRecord::keyResult},
    {Column::Oled, &UnitRecord::oledResult},
    {Column::Led, &UnitRecord::ledResult},
    {Column::GsmCalData, &UnitRecord::gsmCalResult},
    {Column::TdCalData, &UnitRecord::tdCalResult},
    {Column::LteCalData, &UnitRecord::lteCalResult},
    {Column::WcdmaCalData, &UnitRecord::wcdmaCalResult},
    {Column::Wifi, &UnitRecord::wifiResult},
    {Column::Rssi2g, &UnitRecord::rssi2g},
    {Column::Rssi3g, &UnitRecord::rssi3g},
    {Column::Rssi4g, &UnitRecord::rssi4g},
    {Column::RssiResult, &UnitRecord::rssiResult},
    {Column::Charger, &UnitRecord::chargerResult},
    {Column::UsbMode, &UnitRecord::linuxUsbModeResult},
    {Column::LockPn, &UnitRecord::lockResult},
    {Column::IsLockPn, &UnitRecord::lockConfirmation},
    {Column::IsLinuxUsbMode, &UnitRecord::usbModeConfirmation},
};

// The duplicate messages keep their trailing blank.
const char* DuplicateMessage(Column key)
{
    switch (key) {
    case Column::Sn:
        return "Written SN is already in database ";
    case Column::Mac:
        return "Written MAC is already in database ";
    case Column::Imei:
        return "Written IMEI is already in database ";
    default:
        return "Written PCBA SN is already in database ";
    }
}



}  // namespace

int CRuriZudaDlg::FinishTest()
{
    const int stored = SaveUnitRecord();
    CfxWorkFinished();
    if (stored) {
        OperatorUnitStored();
        finishedSn_ = SnForWireTrace();
        ClearUnitValues();
    }
    TestFinished = 1;
    return stored;
}

void CRuriZudaDlg::ChooseResultStore()
{
    // A store given by the caller stays; without [ResultDB] the SQLite
    // files stay and nothing is sent over the network.
    if (!systemResults_ || profile.resultDb.url.empty())
        return;
    systemResults_ = MakePgResultStore(profile.resultDb.url, profile.resultDb.station,
                                       std::chrono::milliseconds(kLineStoreDeadlineMs), SignInRequired());
    options_.results = systemResults_.get();
}

std::function<bool(const UnitJournalEntry&)> CRuriZudaDlg::UnitCommittedCheck()
{
    const std::shared_ptr<ResultStore> store =
        profile.resultDb.url.empty() ? MakeSqliteResultStore()
                                     : MakePgResultStore(profile.resultDb.url, profile.resultDb.station);
    const std::filesystem::path folder = StationFilesDir();
    return [store, folder](const UnitJournalEntry& entry) {
        ResultRow row;
        row[Column::Sn] = entry.sn;
        row[Column::Dtime] = entry.dtime;
        return store->Holds((folder / (entry.verdict == kPass ? kPassFile : kFailFile)).string(), row);
    };
}

std::filesystem::path CRuriZudaDlg::StationFilesDir() const
{
    return options_.dataDir.empty() ? ExecutableDir() : options_.dataDir;
}

std::string CRuriZudaDlg::ResultDbPath()
{
    return (StationFilesDir() / (UnitPassed() ? kPassFile : kFailFile)).string();
}

ResultRow CRuriZudaDlg::UnitRow() const
{
    ResultRow row;
    for (const auto& [column, value] : kStoredValues)
        row[column] = unit.*value;
    row.operatorId = UnitOperator();
    return row;
}

int CRuriZudaDlg::SaveUnitRecord()
{
    storeRefusal_ = "";
    if (!IsOn(profile.station.useMdb))
        return 0;
    const bool maintenance = MaintenanceMode == 1;
    if (!CheckComplete()) {
        storeRefusal_ = kIncompleteRefusal;
        RecordUnitInJournal(false, maintenance);
        return 0;
    }
    // The store's transaction ends (committed or rolled back) before any box
    // is shown: a box waits on the operator, and a transaction left open
    // meanwhile would keep every other station out of the same file or
    // identities for as long.
    // The journal is the durable record every hand-off is made from: the
    // unit's pending line is on the disk before the commit, so a station
    // that dies anywhere after it leaves the unit to be settled on the next
    // start; its line proper is written the moment the row commits.
    CommittedUnit committed = PrepareCommittedUnit(maintenance);
    StoreOutcome outcome;
    try {
        outcome = StoreUnitRow(UnitRow(), committed.entry.dtime, [&] { JournalPendingUnit(committed); },
                               [&] { JournalCommittedUnit(committed); });
    } catch (const StoreError& error) {
        storeRefusal_ = kStoreFailedPrefix + std::string(error.what());
    }
    if (outcome.duplicate)
        storeRefusal_ = DuplicateMessage(*outcome.duplicate);
    const bool stored = storeRefusal_.empty();
    if (stored)
        HandOffCommittedUnit(committed);
    else
        JournalRefusedUnit(committed);
    if (!stored) {
        window_.MessageBox(storeRefusal_, kApplicationName, BoxIcon::Warning);
        return 0;
    }
    if (outcome.created)
        window_.MessageBox(kDatabaseCreated, kApplicationName, BoxIcon::Warning);
    TellMesFailure();
    OnExitMaintenance();
    return 1;
}

CRuriZudaDlg::StoreOutcome CRuriZudaDlg::StoreUnitRow(const ResultRow& row, const std::string& dtime,
                                                      const std::function<void()>& committing,
                                                      const std::function<void()>& committed)
{
    const auto store = options_.results->Begin(ResultDbPath());
    StoreOutcome outcome;
    if (MaintenanceMode == 0)
        outcome.duplicate = store->FindDuplicate(row);
    if (outcome.duplicate)
        return outcome;
    ResultRow stored = row;
    stored[Column::Dtime] = dtime;
    stored[Column::IsRepair] = MaintenanceMode == 1 ? kRepairMark : "";
    store->Insert(stored);
    if (committing)
        committing();
    outcome.created = store->Commit();
    if (committed)
        committed();
    return outcome;
}
