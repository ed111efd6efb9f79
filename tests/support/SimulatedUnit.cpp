#include "tests/support/SimulatedUnit.h"

SimulatedUnit::SimulatedUnit(ScriptedSerial& port, sim::UnitState state, sim::SimOptions options)
    : unit_(std::move(state), std::move(options))
{
    port.SetResponder([this](std::string_view written, ScriptedSerial& serial) {
        for (auto& write : unit_.Receive(written))
            serial.ArriveIn(write.delayMs, std::move(write.bytes));
    });
}
