#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "config/StationProfile.h"
#include "discovery/DeviceSource.h"
#include "discovery/PortMonitor.h"
#include "discovery/PortProbe.h"
#include "station/OperationSpec.h"
#include "station/StationWindow.h"
#include "station/UnitRecord.h"
#include "station/UnitWireTrace.h"

// Start-up choices of the station (command line).
struct StationOptions {
    // When set, this port is listed instead of searching for the unit by
    // its USB identity (bench adapters, the unit simulator).
    std::string fixedPort;
    // Where present devices and openable ports come from; nullptr means the
    // system's (libudev, /dev). Not owned.
    DeviceSource* devices = nullptr;
    PortProbe* probe = nullptr;
    // Folder of the wire trace files (--trace DIR); wins over the profile's
    // WIRETRACE_DIR. Empty: the profile decides.
    std::string wireTraceDir {};
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

// The station's controller: all state of the station and every operator
// operation. It draws nothing; it talks to its window through StationWindow.
// Its methods are spread over files by concern: start-up and profile,
// operation frame and status, single items, one-key test.
class CRuriZudaDlg {
public:
    explicit CRuriZudaDlg(StationWindow& window, StationOptions options = {});
    ~CRuriZudaDlg();
    CRuriZudaDlg(const CRuriZudaDlg&) = delete;
    CRuriZudaDlg& operator=(const CRuriZudaDlg&) = delete;

    // Window events.
    void OnInitDialog();
    void OnCommand(int controlId);  // a button was clicked
    void OnTimer(int timerId);
    // Enter pressed while `focusedControl` has the focus; true when the
    // controller used it (the walk through the scan fields).
    bool OnEnterKey(int focusedControl);

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

    // Single-item operations, one per button.
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
    // Judgements and maintenance: not guarded, no device work.
    void OnOledPass();
    void OnOledFail();
    void OnLedPass();
    void OnLedFail();
    void OnEnterMaintenance();
    void OnExitMaintenance();
    void OnCheckDate();

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
    int StartKeyTest();  // starts the key poll
    int StopKeyTest();   // stops the key poll
    // A tick of the key poll: listens for the unit's key report.
    void OnKeyPollTimer();

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

    // State of the station.
    int OperationBusy = 0;
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

private:
    void RegisterCommands();
    void ListFixedPort();
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
    void RegisterItemCommands();
    int RunIdentityCheck(const IdentityCheckRow& check);
    // A USB-mode write, then the USB-mode read as an operation of its own.
    // `reportBox`, when not 0, repeats the write's report.
    void RunUsbModeWrite(const OperationSpec& spec, const std::function<int()>& write, int reportBox = 0);
    // One quiet attempt to open the listed port; 1 opened.
    int OpenListedPort();

    StationWindow& window_;
    StationOptions options_;
    std::unique_ptr<DeviceSource> systemDevices_;
    std::unique_ptr<PortProbe> systemProbe_;
    std::unique_ptr<PortMonitor> monitor_;
    std::map<int, std::function<void()>> commands_;
    // The SN the current unit's trace file is named with.
    std::string SnForWireTrace() const;
    UnitWireTrace wireTrace_;
};
