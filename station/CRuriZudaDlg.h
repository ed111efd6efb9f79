#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "config/StationProfile.h"
#include "discovery/DeviceSource.h"
#include "discovery/PortMonitor.h"
#include "discovery/PortProbe.h"
#include "mes/UnitValidationSettings.h"
#include "records/ImeiLookup.h"
#include "records/ResultRow.h"
#include "mes/StationStateTracker.h"
#include "records/UnitJournal.h"
#include "station/OneKeyRecord.h"
#include "station/OperationSpec.h"
#include "station/OperatorSession.h"
#include "station/StationWindow.h"
#include "station/UnitRecord.h"
#include "station/UnitWireTrace.h"

struct UnitJournalEntry;
struct JournalPosition;
struct CfxSender;
struct OutboxMessage;
class MesHandOff;
class CfxEndpointLink;
class ResultStore;

// Start-up choices of the station (command line).
struct StationOptions {
    // When set, this port is listed instead of searching for the unit by
    // its USB identity (bench adapters, the unit simulator).
    std::string fixedPort;
    // Where present devices and openable ports come from; nullptr means the
    // system's (libudev, /dev). Not owned.
    DeviceSource* devices = nullptr;
    PortProbe* probe = nullptr;
    // The writing station: the identity-write group is shown. The test
    // station keeps it hidden.
    bool engineering = false;
    // Where PASS.mdb, FAIL.mdb and the lookup database live; empty means
    // the executable's directory.
    std::filesystem::path dataDir {};
    // Where units are stored; nullptr means SQLite files in dataDir. Not owned.
    ResultStore* results = nullptr;
    // Folder of the wire trace files (--trace DIR); wins over the profile's
    // WIRETRACE_DIR. Empty: the profile decides.
    std::string wireTraceDir {};
    int slot = 0;  // this station's slot; 0 when started without --slot
    // The USB port of the slot ([Slots] of workstation.ini). A slot lists
    // only a unit plugged into this port, and none when it is "".
    std::string slotPortPath {};
};

// Texts of the edit controls the operations read, as last copied from the
// window by UpdateData.
struct BoundTexts {
    std::string writeImei;   // 1069
    std::string writeMac;    // 1070
    std::string writeSn;     // 1072
    std::string scanImei;    // 1118
    std::string scanMac;     // 1117
    std::string scanSn;      // 1129
    std::string scanPcbaSn;  // 1135
};

struct IdentityCheckRow;
struct OneKeyItem;
struct PostTestCommand;
struct PnLockChange;

// The station's controller: all state of the station and every operator
// operation. It draws nothing; it talks to its window through StationWindow.
// Its methods are spread over files by concern: start-up and profile,
// operation frame and status, the button table, single items, one-key test.
class CRuriZudaDlg {
public:
    explicit CRuriZudaDlg(StationWindow& window, StationOptions options = {});
    ~CRuriZudaDlg();
    CRuriZudaDlg(const CRuriZudaDlg&) = delete;
    CRuriZudaDlg& operator=(const CRuriZudaDlg&) = delete;

    // Window events.
    void OnInitDialog();
    void OnCommand(int controlId);  // a button was clicked: runs its row of the button table
    void OnTimer(int timerId);
    // Enter pressed while `focusedControl` has the focus; true when the
    // controller used it (the walk through the scan fields).
    bool OnEnterKey(int focusedControl);
    // The window's first event after start-up: the scan-focus rule.
    void OnFirstMessage();

    // The window is going away.
    void OnDestroy();

    // Device discovery and the port list.
    void ScanForUnitPort();
    void OnDeviceChange(PortEvent event);
    void OnDeviceNotification();  // the notification descriptor is readable
    void RegisterPortNotification();
    void UnregisterPortNotification();
    void OnRefreshCom();

    // Start-up and profile.
    void LoadStationProfile();
    void ApplyStationProfile();

    // Wire trace of the AT port, one file per unit (station/WireTraceControl.cpp).
    // Switched on at start-up when a trace folder is given.
    void StartWireTrace();
    // Ends the current unit's trace file, named with its SN once known, and
    // begins the next unit's.
    void NextUnitWireTrace();
    void StopWireTrace();
    // The file being written; empty when the trace is off.
    std::filesystem::path CurrentWireTracePath() const { return wireTrace_.CurrentPath(); }

    // Operation frame and status reporting.
    void ShowStatus(unsigned kind, std::string message);
    int ConnectTarget();
    int DisconnectTarget();
    void UpdateData();
    // Runs `work` as one guarded operation; its result, or 0 when the
    // operation was refused or could not connect.
    int RunOperation(const OperationSpec& spec, const std::function<int()>& work);

    // Unit values and failure display.
    void ClearUnitValues();
    void HideFailureItems();
    void ShowFailureItems();

    // RETEST: the window made ready for the next unit.
    void OnRetest();

    // The one-key test: every item switched on in [Onekey], then the wait
    // for the operator's judgements and the verdict.
    void OnOneKeyTest();
    // The one-key test proper, once the MES let the unit in (or at once
    // when the station does not ask it).
    void BeginValidatedOneKeyTest();
    void FinishOneKeyTest();
    // A tick of the one-key wait: the verdict once both judgements are in.
    void OnOneKeyWaitTimer();

    // Single-item operations, one per button (station/ButtonTable.cpp holds
    // what each reports).
    void OnReadImei();
    void OnReadVersion();
    void OnReadMac();
    void OnReadSn();
    void OnReadPcbaSn();
    void OnReadSsid();
    void OnReadSim();
    void OnReadSd();
    void OnWifiStatus();
    void OnCharging();
    void OnRssiCheck();
    void OnRfCheck();
    void OnPowerOff();
    void OnReset();
    void OnRestore();
    void OnOledLightOn();
    void OnOledLightOff();
    void OnLedLightOn();
    void OnUserMode();
    void OnFactoryMode();
    void OnWindowsUsbMode();
    void OnLinuxUsbMode();
    void OnReadUsbMode();  // leaves the port open
    void OnKeyTest();      // leaves the port open for the key poll
    void OnExitKeyTest();  // leaves the port open
    void OnReadPn();
    void OnLockPn();
    void OnUnlockPn();
    // Judgements and maintenance: not guarded, no device work.
    void OnOledPass();
    void OnOledFail();
    void OnLedPass();
    void OnLedFail();
    void OnEnterMaintenance();
    void OnExitMaintenance();
    void OnCheckDate();
    void OnTestFinish();  // stores the unit; sets TestFinished

    // Identity writes of the writing station: no failure bit is set.
    void OnWriteImei();
    void OnWriteMac();
    void OnWriteSn();
    void OnWriteMacImei();    // SN read, MAC and IMEI write, both read back
    void OnWriteSnMacImei();
    // The write steps: 1 written, 0 refused or failed. IMEI and MAC advance
    // their input box to the next value of the series.
    int WriteImeiStep();
    int WriteMacStep();
    int WriteSnStep();  // with the SN's write options
    // The combined writes: each step's failure reported as it happens.
    int WriteSnMacImeiSteps();
    int WriteMacImeiSteps();  // SN read, MAC and IMEI write, both read back
    // Shows the write options in the group, and the group on the writing station.
    void ShowIdentityWriteGroup();

    // Test items of the single-item operations: 1 success, 0 failure.
    int ImeiItem();
    int VersionItem();
    int MacItem();
    int SnItem();
    int PcbaSnItem();
    int SsidItem();
    int SimItem();
    int SdItem();
    int WifiItem();
    int ChargerItem();
    int RssiItem();    // sets the RSSI bit when the check fails
    int RfCalItems();  // the calibration sub-checks switched on
    int LinuxUsbModeItem();
    int UsbModeItem();     // the mode read back; sets the bit unless it is Linux
    int StartKeyTest();    // starts the key poll; a refusal ends the key judgement
    int AbandonKeyTest();  // stops the key poll; always 0, reported here
    // A tick of the key poll: listens for the unit's key report.
    void OnKeyPollTimer();
    // Network lock: 1 state read; 1 locked or unlocked and the state read
    // again. They expect the port open and leave it open.
    int ReadPnLockState();
    int LockPn();
    int UnlockPn();
    // READ PN: the state read, the bit set when it is not locked.
    int ConfirmPnLock();

    // Value checks: 1 pass, 0 fail. The identity checks set their outcome
    // flag and show their own warning.
    static int PrefixMatches(const std::string& value, const std::string& prefix);
    int CheckImei();
    int CheckMac();
    int CheckSn();
    int CheckPcbaSn();
    int CheckVersion();
    int CheckReleaseDate();
    int CheckSsid();
    int CheckRssi();
    int CheckComplete();  // shows the first missing value
    int UnitPassed();

    // Result database: 1 stored, 0 not stored (the reason has been shown).
    int SaveUnitRecord();
    // The unit's line in the per-unit journal, and writing it beside the
    // result files; `maintenance` as it was before the store.
    UnitJournalEntry JournalEntry(bool stored, bool maintenance);
    void RecordUnitInJournal(bool stored, bool maintenance);
    // A stored unit's lines, made before its store: the pending line is
    // written and synced just before the commit, the unit's line the moment
    // the commit returned; then the unit goes to the MES hand-off. A store
    // that fails after the pending line settles it with a refusal line.
    struct CommittedUnit {
        UnitJournalEntry entry;
        std::string line;
        std::string pendingLine;
        bool pendingJournaled = false;
        bool journaled = false;
        JournalPosition position;
    };
    CommittedUnit PrepareCommittedUnit(bool maintenance);
    void JournalPendingUnit(CommittedUnit& unit);
    void JournalCommittedUnit(CommittedUnit& unit);
    void JournalRefusedUnit(CommittedUnit& unit);
    void HandOffCommittedUnit(const CommittedUnit& unit);
    // The MES hand-off ([MES], station/MesHandOffControl.cpp): started with
    // the station, fed each stored unit's journal entry, its waiting count
    // shown as the window's status note.
    void StartMesHandOff();
    // `position`: where the unit's journal line ends; null when the journal
    // could not be written, and the outbox takes the unit at once instead.
    void HandOffToMes(const UnitJournalEntry& entry, const JournalPosition* position);
    void ShowMesStatus();
    // After the store's own boxes: why the hand-off is not working, once a run.
    void TellMesFailure();
    // The station as a CFX endpoint ([MES], station/CfxEndpointControl.cpp):
    // each unit's run framed by WorkStarted and WorkCompleted, the station's
    // state changes, EndpointConnected at start, and on a connection of its
    // own the heartbeat and the answers to AreYouThereRequest.
    void StartCfxEndpoint();
    void StopCfxEndpoint();  // EXIT
    void CfxWorkStarted();   // the one-key start
    void CfxWorkFinished();  // TEST FINISH, after the unit's UnitsTested
    void CfxWorkAbandoned(); // RETEST, unplug
    void CfxPortLost();      // the unit's port went away; down when mid-test
    void CfxUnitArrived();   // a port came: a station down waits for a unit again
    // The MES refused the unit or did not answer: the station is blocked.
    void CfxStationBlocked(const std::string& reason);
    void CfxEnterState(StationState state);
    // WorkCompleted of the open run, Aborted when `abandoned`; none open: nothing.
    void CfxCompleteWork(bool abandoned);
    // The MES's go-ahead before the one-key test ([MES] VALIDATE=1,
    // station/UnitValidationControl.cpp): the request is sent at ONEKEY TEST
    // and its outcome read at each tick of the validation timer, so the
    // window keeps working while the MES is asked.
    void StartUnitValidation();
    void OnUnitValidationTimer();
    // RETEST or the window going: a request under way is forgotten.
    void AbandonUnitValidation();
    // TEST FINISH: the unit stored and its values cleared; sets TestFinished.
    int FinishTest();
    // PASS.mdb or FAIL.mdb in the station's folder, by the unit's verdict.
    std::string ResultDbPath();
    // The line-wide store when the profile names one ([ResultDB] URL).
    void ChooseResultStore();
    // Whether a pending journal line's row was committed, for the MES
    // sender's thread: on a store of its own, never this thread's.
    std::function<bool(const UnitJournalEntry&)> UnitCommittedCheck();
    // What one store into the result store came to.
    struct StoreOutcome {
        std::optional<Column> duplicate;  // the identity a stored row shares
        bool created = false;             // the store brought the table into being
    };
    // One transaction: the duplicate check (skipped in maintenance mode),
    // then the row with its time and repair mark inserted and committed. It
    // has ended when this returns; nothing is shown. Engine errors throw
    // StoreError.
    // `dtime` is the row's DTIME. `committing` runs just before the
    // commit, `committed` the moment the commit returned, before the store
    // lets go of the file.
    StoreOutcome StoreUnitRow(const ResultRow& row, const std::string& dtime,
                              const std::function<void()>& committing = {},
                              const std::function<void()>& committed = {});
    // The folder of the result and lookup databases.
    std::filesystem::path StationFilesDir() const;

    // Operator sign-in ([Operator], station/OperatorSignIn.cpp).
    bool SignInRequired() const;  // SIGNIN=1
    // Shows the sign-in field when sign-in is on and asks for the badge.
    void StartOperatorSignIn();
    // Before a one-key test: false, with the reason shown, when nobody is
    // signed in.
    bool OperatorMayTest();
    // Enter in the sign-in field: its badge signs in, replacing whoever was
    // signed in.
    void OnOperatorBadge();
    // A unit was stored: the idle time starts again.
    void OperatorUnitStored();
    void OnOperatorIdleTimer();
    // EXIT: the operator is signed out.
    void EndOperatorSignIn();
    // The badge signed in; "" when nobody is.
    std::string SignedInOperator() const;
    // The operator the current unit is recorded with; "" without sign-in.
    std::string UnitOperator() const;

    // Lookup database: SCAN MAC / SCAN SN filled from the row of the scanned
    // IMEI; 1 a row matched, 0 otherwise.
    int LookupMacByImei();
    int LookupSnByImei();

    // State of the station.
    int OperationBusy = 0;
    int LastOperationResult = 1;  // what the latest guarded operation returned
    uint32_t FailureMask = 0;
    int LedJudged = 0;
    int KeyJudged = 0;
    int TestFinished = 0;
    int FirstMessage = 0;
    int MaintenanceMode = 0;
    int DiscoveryStarted = 0;
    int ArrivalEvent = 0;
    int DevicePresent = 0;
    StationProfile profile;
    UnitRecord unit;
    ScannedValues scanned;
    CheckOutcomes checks;
    BoundTexts bound;
    // The values last sent by the write steps.
    std::string writtenImei;
    std::string writtenMac;  // 12 upper-case hex digits
    std::string writtenSn;
    OneKeyRun LastOneKeyRun;  // the latest one-key test, item by item

private:
    // The button's row of the button table run; nothing for other controls.
    void RunButton(int control);
    void ListFixedPort();
    // The USB port a unit must sit at to be this station's: the slot's port
    // with a slot, any port without one.
    std::optional<std::string> SlotPortFilter() const;
    // An arrived unit listed; with a slot only when it is new to the list.
    void ListArrivedUnit(const std::string& name);
    // A unit has come into this slot: its window comes to the front, ready
    // for the first scan.
    void CallOperatorToSlot();
    // The station log: writelog.txt, in the slot's folder for a slot.
    void OpenStationLog();
    void ListUnitPort(const std::string& name);
    void UnlistUnitPort();
    // Shows at most `length` leading characters of `text` in a box and repaints.
    void ShowValue(int box, const std::string& text, size_t length);
    // Empties an identity, reads it with `read` and shows it; 0 when the
    // command failed (the value then holds whatever the command extracted,
    // and the box keeps its text).
    int ReadIdentity(std::string UnitRecord::*value, int (*read)(char*), int box, size_t shown);
    // Empties a state text and shows it empty, reads it with `read` and shows
    // what the command left, whatever its result; returns that result.
    int ReadState(std::string UnitRecord::*value, int (*read)(char*), int box, size_t shown);
    void Warn(const std::string& text);
    // Normalises a MAC text to its 12 digits and writes it; 0 with a warning
    // when it is too short or does not hold 12 hex digits.
    int WriteMacText(const std::string& text);
    // A step of a combined write: 1 when it succeeded, else its failure report.
    int Step(int result, const char* failure);
    // LOCK and UNLOCK: a fresh read of the lock state, nothing sent when the
    // unit is in the change's state already, else `send` into the result
    // text (nullopt: it sent nothing), then the state read again.
    int ChangePnLock(const PnLockChange& change, const std::function<std::optional<int>(char*)>& send);
    // The IMEI the unlock code comes from: "" when the code does not come
    // from the IMEI, else the whole IMEI the unit reports now; nothing, with
    // a warning, when the unit did not report one.
    std::optional<std::string> UnlockCodeImei();
    // The row buffer: the stored values of the unit in column order.
    ResultRow UnitRow() const;
    int LookUpScanField(const char* column, int field, size_t fieldLimit);
    int RunIdentityCheck(const IdentityCheckRow& check);
    // A USB-mode write reported by the button's row, then the USB-mode read
    // as an operation of its own. `reportBox`, when not 0, repeats the
    // write's report.
    void RunUsbModeWrite(int control, const std::function<int()>& write, int reportBox = 0);
    // One quiet attempt to open the listed port; 1 opened.
    int OpenListedPort();
    // One item of the one-key test; false when the sequence stops after it.
    bool RunOneKeyItem(const OneKeyItem& item);
    void StopOneKeyTest(const char* reason);  // ends the run without labels
    // Stops the one-key wait and the key poll of an earlier run.
    void StopRunTimers();
    void EndOneKeyRun();
    // The reboot or restore after a passed one-key test.
    void RunPostTestCommand(const PostTestCommand& command);
    // The validation's outcome, acted upon.
    void UnitValidated(const UnitValidationOutcome& outcome);
    // The journal line of a unit the MES refused: never tested, not stored.
    void RecordRefusedUnit(const std::string& sn, const std::string& refusal);
    // The Enter walk: Enter as Tab, and the step that presses ONEKEY TEST.
    void EnterAsTab(int focusedControl);
    void PressOneKeyTest();
    // The focus on the first field the operator scans for a unit.
    void FocusFirstScanField();
    // Sign-out, told to the MES.
    void SignOperatorOut();
    // Who the sign-in and sign-out messages come from.
    CfxSender OperatorEventSender() const;
    // A sign-in or sign-out message to the MES, in order with the units.
    void PublishOperatorEvent(const OutboxMessage& message);

    StationWindow& window_;
    StationOptions options_;
    std::unique_ptr<DeviceSource> systemDevices_;
    std::unique_ptr<PortProbe> systemProbe_;
    std::unique_ptr<PortMonitor> monitor_;
    std::unique_ptr<ResultStore> systemResults_;
    // The SN the current unit's trace file is named with.
    std::string SnForWireTrace() const;
    UnitWireTrace wireTrace_;
    // The lookup file's IMEI index, kept between lookups.
    ImeiLookup lookup_;
    // The SN of the unit TEST FINISH stored and cleared, for its trace file.
    std::string finishedSn_;
    // Why the latest store was refused, for the unit journal.
    std::string storeRefusal_;
    std::unique_ptr<MesHandOff> mes_;
    std::string mesStartError_;   // why the hand-off could not start
    bool mesFailureShown_ = false;  // one message box per run
    std::string mesUnqueued_;       // why the latest unit's message was not queued
    OperatorSession signIn_;
    std::string runOperator_;  // who started the latest one-key test
    std::unique_ptr<CfxEndpointLink> cfxLink_;
    std::optional<StationStateTracker> stationState_;
    int stateChanges_ = 0;          // tells apart the changes of one millisecond
    std::string workTransactionId_; // the run's transaction; "" between runs
    UnitValidationSettings validation_;
    std::unique_ptr<UnitValidator> validator_;
    std::string validatingSn_;   // the SN the request under way is about
    std::string unitValidation_;  // the unit's journal "validation"; "" not asked
};
