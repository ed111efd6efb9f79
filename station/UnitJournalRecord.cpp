// The unit's line in the per-unit journal, written at every TEST FINISH that
// stores the unit or is refused: identities, verdict, and each item of the
// latest one-key test with what it read and what that was checked against.
#include "station/CRuriZudaDlg.h"

#include <ctime>
#include <string_view>

#include <unistd.h>

#include "link/Trace.h"
#include "records/UnitJournal.h"

namespace {

// What an item of the one-key test read, and its reference, by [Onekey] key.
struct ItemValues {
    std::string_view name;
    std::vector<std::string UnitRecord::*> values;
    std::string (*reference)(const CRuriZudaDlg&);
};

std::string NoReference(const CRuriZudaDlg&)
{
    return "";
}

const ItemValues kItemValues[] = {
    {"WRITE_UNLOCK_PN", {&UnitRecord::unlockResult, &UnitRecord::lockState}, NoReference},
    {"READVER", {&UnitRecord::version, &UnitRecord::releaseDate},
     [](const CRuriZudaDlg& s) { return s.profile.station.checkVer; }},
    {"READRELDATE", {&UnitRecord::releaseDate}, [](const CRuriZudaDlg& s) { return s.profile.station.checkRelDateTime; }},
    {"READMAC", {&UnitRecord::mac}, [](const CRuriZudaDlg& s) { return s.scanned.mac; }},
    {"READIMEI", {&UnitRecord::imei}, [](const CRuriZudaDlg& s) { return s.scanned.imei; }},
    {"READSN", {&UnitRecord::sn}, [](const CRuriZudaDlg& s) { return s.scanned.sn; }},
    {"READPCBASN", {&UnitRecord::pcbaSn}, [](const CRuriZudaDlg& s) { return s.scanned.pcbaSn; }},
    {"READSSID", {&UnitRecord::ssid}, [](const CRuriZudaDlg& s) { return s.profile.station.checkSsidNo; }},
    {"READCHARGERSTATUS", {&UnitRecord::chargerResult}, NoReference},
    {"READSIM", {&UnitRecord::simText}, NoReference},
    {"READSD", {&UnitRecord::sdText}, NoReference},
    {"RFCALDATACHECK",
     {&UnitRecord::gsmCalResult, &UnitRecord::tdCalResult, &UnitRecord::lteCalResult, &UnitRecord::wcdmaCalResult},
     NoReference},
    {"READWIFI", {&UnitRecord::wifiResult}, NoReference},
    {"RFRSSICHECK", {&UnitRecord::rssi2g, &UnitRecord::rssi3g, &UnitRecord::rssi4g},
     [](const CRuriZudaDlg& s) {
         return s.profile.station.rssi2g + "," + s.profile.station.rssi3g + "," + s.profile.station.rssi4g;
     }},
    {"WRITELINUXUSBMODE", {&UnitRecord::linuxUsbModeResult}, NoReference},
    {"WRITE_LOCK_PN", {&UnitRecord::lockResult, &UnitRecord::lockState}, NoReference},
    {"READLINUXUSBMODE", {&UnitRecord::usbMode, &UnitRecord::usbModeConfirmation}, NoReference},
    {"READ_LOCK_PN", {&UnitRecord::lockState, &UnitRecord::lockConfirmation}, NoReference},
    {"TESTLED", {&UnitRecord::ledResult}, NoReference},
    {"TESTKEY", {&UnitRecord::keyResult}, NoReference},
};

// The row's DTIME: the local time as ctime writes it, 24 characters and a
// line feed.
std::string RowTimeText(JournalClock::time_point t)
{
    const std::time_t seconds = JournalClock::to_time_t(t);
    char text[26] = {};
    if (!ctime_r(&seconds, text))
        return "";
    return text;
}

std::string HostName()
{
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 ? name : "";
}

}  // namespace

UnitJournalEntry CRuriZudaDlg::JournalEntry(bool stored, bool maintenance)
{
    UnitJournalEntry entry;
    // The line-wide name when the line has one, else the machine's.
    entry.station = profile.resultDb.station.empty() ? HostName() : profile.resultDb.station;
    entry.slot = options_.slot;
    entry.sn = unit.sn;
    entry.mac = unit.mac;
    entry.imei = unit.imei;
    entry.pcbaSn = unit.pcbaSn;
    if (!LastOneKeyRun.items.empty()) {
        entry.testStart = LastOneKeyRun.started;
        entry.testEnd = LastOneKeyRun.ended;
    }
    entry.recorded = JournalClock::now();
    entry.verdict = UnitPassed() ? kPass : kFail;
    entry.stored = stored;
    entry.refusal = stored ? "" : storeRefusal_;
    entry.maintenance = maintenance;
    entry.operatorId = UnitOperator();
    entry.transactionId = workTransactionId_;
    entry.validation = unitValidation_;
    for (const OneKeyItemRun& run : LastOneKeyRun.items) {
        JournalItem item {.name = run.name, .result = run.result ? kPass : kFail, .values = {}, .reference = {},
                         .durationMs = run.durationMs, .startMs = run.startMs};
        for (const ItemValues& known : kItemValues) {
            if (known.name != run.name)
                continue;
            for (auto value : known.values)
                item.values.push_back(unit.*value);
            item.reference = known.reference(*this);
        }
        entry.items.push_back(std::move(item));
    }
    return entry;
}

CRuriZudaDlg::CommittedUnit CRuriZudaDlg::PrepareCommittedUnit(bool maintenance)
{
    CommittedUnit unit;
    unit.entry = JournalEntry(true, maintenance);
    unit.entry.dtime = RowTimeText(unit.entry.recorded);
    unit.line = UnitJournalLine(unit.entry);
    UnitJournalEntry pending = unit.entry;
    pending.pending = true;
    unit.pendingLine = UnitJournalLine(pending);
    return unit;
}

void CRuriZudaDlg::JournalPendingUnit(CommittedUnit& unit)
{
    std::string error;
    // Not written: the commit goes on, and the unit's line (or, failing
    // that, the outbox on this thread) is its record.
    unit.pendingJournaled = AppendUnitJournalLine(StationFilesDir(), unit.entry.recorded, unit.pendingLine, &error);
    if (!unit.pendingJournaled)
        TraceOut(("ERROR: the unit's pending journal line was not written: " + error + "\n").c_str());
}

void CRuriZudaDlg::JournalRefusedUnit(CommittedUnit& unit)
{
    // The refusal is of the same unit as its pending line, which it settles.
    unit.entry.stored = false;
    unit.entry.refusal = storeRefusal_;
    std::string error;
    if (!AppendUnitJournal(StationFilesDir(), unit.entry, &error))
        TraceOut(("ERROR: the unit journal was not written: " + error + "\n").c_str());
}

void CRuriZudaDlg::JournalCommittedUnit(CommittedUnit& unit)
{
    std::string error;
    unit.journaled = AppendUnitJournalLine(StationFilesDir(), unit.entry.recorded, unit.line, &error, &unit.position);
    if (!unit.journaled)
        TraceOut(("ERROR: the unit journal was not written: " + error + "\n").c_str());
}

void CRuriZudaDlg::HandOffCommittedUnit(const CommittedUnit& unit)
{
    HandOffToMes(unit.entry, unit.journaled ? &unit.position : nullptr);
}

void CRuriZudaDlg::RecordUnitInJournal(bool stored, bool maintenance)
{
    const UnitJournalEntry entry = JournalEntry(stored, maintenance);
    std::string error;
    JournalPosition position;
    const bool journaled = AppendUnitJournal(StationFilesDir(), entry, &error, &position);
    if (!journaled)
        TraceOut(("ERROR: the unit journal was not written: " + error + "\n").c_str());
    if (stored)
        HandOffToMes(entry, journaled ? &position : nullptr);
}
