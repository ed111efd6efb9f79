#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "config/StationProfile.h"
#include "station/OperationSpec.h"
#include "station/StationWindow.h"
#include "station/UnitRecord.h"

// Start-up choices of the station (command line).
struct StationOptions {
    // When set, this port is listed instead of searching for the unit by
    // its USB identity (bench adapters, the unit simulator).
    std::string fixedPort;
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

// The station's controller: all state of the station and every operator
// operation. It draws nothing; it talks to its window through StationWindow.
// Its methods are spread over files by concern: start-up and profile,
// operation frame and status, single items, one-key test.
class CRuriZudaDlg {
public:
    explicit CRuriZudaDlg(StationWindow& window, StationOptions options = {});

    // Window events.
    void OnInitDialog();
    void OnCommand(int controlId);  // a button was clicked
    void OnTimer(int timerId);
    // Enter pressed while `focusedControl` has the focus; true when the
    // controller used it (the walk through the scan fields).
    bool OnEnterKey(int focusedControl);

    // Start-up and profile.
    void LoadStationProfile();
    void ApplyStationProfile();

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

    // Operations.
    void OnReadImei();
    void OnRetest();

    // Test items.
    int ImeiItem();

    // State of the station.
    int OperationBusy = 0;
    uint32_t FailureMask = 0;
    int LedJudged = 0;
    int KeyJudged = 0;
    int TestFinished = 0;
    int FirstMessage = 0;
    int MaintenanceMode = 0;
    StationProfile profile;
    UnitRecord unit;
    ScannedValues scanned;
    CheckOutcomes checks;
    BoundTexts bound;

private:
    void RegisterCommands();
    void ListFixedPort();
    // Shows at most `length` leading characters of `text` in a box and repaints.
    void ShowValue(int box, const std::string& text, size_t length);
    void Warn(const std::string& text);

    StationWindow& window_;
    StationOptions options_;
    std::map<int, std::function<void()>> commands_;
};
