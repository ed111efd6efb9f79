#pragma once

#include <filesystem>
#include <memory>
#include <string>

class WireTraceFile;

// The station's wire trace: one file per unit in a trace folder. A file is
// named by the time it began, trace-YYYYMMDD-HHMMSS.txt; when it ends with the
// unit's SN known, the SN is added to its name (trace-YYYYMMDD-HHMMSS-SN.txt).
// A file that received nothing is removed when it ends.
class UnitWireTrace {
public:
    UnitWireTrace();
    // Ends the current file (without an SN) and switches the trace off.
    ~UnitWireTrace();
    UnitWireTrace(const UnitWireTrace&) = delete;
    UnitWireTrace& operator=(const UnitWireTrace&) = delete;

    // Creates `folder` when missing, begins the first file and switches the
    // trace on. On failure the trace stays off and `error` says why.
    bool Start(const std::filesystem::path& folder, std::string& error);
    // Ends the current file, named with `sn` when not empty, and begins the
    // next one. Nothing when not started.
    void NextUnit(const std::string& sn);
    // Ends the current file, named with `sn` when not empty, and switches the
    // trace off.
    void Stop(const std::string& sn);

    bool Active() const;
    // The file being written; empty when not active.
    std::filesystem::path CurrentPath() const;

private:
    bool Begin(std::string& error);
    void End(const std::string& sn);

    std::filesystem::path folder_;
    std::unique_ptr<WireTraceFile> file_;
};

// The name part of an SN in a file name: letters, digits, '-', '_' and '.'
// kept, every other byte '_'; at most 64 characters.
std::string SnForFileName(const std::string& sn);
