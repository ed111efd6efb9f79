#pragma once

#include "sim/TimedWrite.h"
#include "sim/UnitState.h"

#include <optional>
#include <string_view>
#include <vector>

namespace sim {

// The unit's writes in answer to one request. Delays count from the moment
// the unit starts answering; the first write is due at 0.
using Answer = std::vector<TimedWrite>;

// The unit's command set: what it answers to each request text (without the
// leading "AT") and how the request changes its state. Command names are
// matched without regard to case; values keep theirs.
class UnitCommands {
public:
    // separateReadGapMs: gap before a write that must reach the station in a
    // read of its own (the release time line when the version comes in two).
    explicit UnitCommands(int separateReadGapMs);

    Answer Handle(UnitState& state, std::string_view request);

    // The error reply the unit gives when it refuses this request; the
    // request has no effect. Replies to requests whose answers the station
    // searches for bare digits carry no digits.
    std::string Refuse(std::string_view request);

private:
    enum class WriteTarget { Imei, Mac, Sn, UsbMode };
    struct Command;
    static const Command* Find(std::string_view request, std::string_view& argument);

    Answer ReadImei(UnitState& state, std::string_view);
    Answer ReadMac(UnitState& state, std::string_view);
    Answer ReadVersion(UnitState& state, std::string_view);
    Answer ReadSn(UnitState& state, std::string_view);
    Answer ReadPcbaSn(UnitState& state, std::string_view);
    Answer ReadSsid(UnitState& state, std::string_view);
    Answer ReadSignal(UnitState& state, std::string_view);
    Answer DetectSim(UnitState& state, std::string_view);
    Answer ReadSdCard(UnitState& state, std::string_view);
    Answer ReadWifiState(UnitState& state, std::string_view);
    Answer CheckCharger(UnitState& state, std::string_view);
    Answer QueryCalFile(UnitState& state, std::string_view fileName);
    Answer ReadUsbMode(UnitState& state, std::string_view);
    Answer ReadPnLock(UnitState& state, std::string_view);
    Answer LockPn(UnitState& state, std::string_view);
    Answer UnlockPn(UnitState& state, std::string_view code);
    Answer PrepareImeiWrite(UnitState& state, std::string_view);
    Answer PrepareMacWrite(UnitState& state, std::string_view);
    Answer PrepareSnWrite(UnitState& state, std::string_view);
    Answer PrepareUsbModeWrite(UnitState& state, std::string_view);
    Answer WriteImei(UnitState& state, std::string_view imei);
    Answer WriteMac(UnitState& state, std::string_view digits);
    Answer WriteSn(UnitState& state, std::string_view sn);
    Answer WriteUsbMode(UnitState& state, std::string_view mode);
    Answer PowerOff(UnitState& state, std::string_view);
    Answer Reset(UnitState& state, std::string_view);
    Answer Restore(UnitState& state, std::string_view);
    Answer LcdOn(UnitState& state, std::string_view);
    Answer LcdOff(UnitState& state, std::string_view);
    Answer LedAllOn(UnitState& state, std::string_view);
    Answer KeyTestStart(UnitState& state, std::string_view);
    Answer KeyTestStop(UnitState& state, std::string_view);
    Answer Attention(UnitState& state, std::string_view);

    Answer PrepareWrite(const UnitState& state, WriteTarget target);
    bool WriteWasPrepared(WriteTarget target) const;

    int separateReadGapMs_;
    // Target of a first step accepted by the request just before this one.
    std::optional<WriteTarget> prepared_;
    std::optional<WriteTarget> preparedBefore_;
};

}  // namespace sim
