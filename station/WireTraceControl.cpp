// The wire trace of the station: one trace file per unit.
#include "station/CRuriZudaDlg.h"

#include "config/SlotMap.h"
#include "link/Trace.h"

void CRuriZudaDlg::StartWireTrace()
{
    const std::string& folder = options_.wireTraceDir.empty() ? profile.station.wireTraceDir : options_.wireTraceDir;
    if (folder.empty())
        return;
    // Slots share the trace folder, each writing into a slot-N folder of its
    // own, so two slots never name one file.
    std::filesystem::path slotFolder = folder;
    if (options_.slot)
        slotFolder /= SlotFolder(options_.slot);
    std::string error;
    if (!wireTrace_.Start(slotFolder, error))
        TraceOut(("rurizuda: " + error + "; wire trace off\n").c_str());
}

void CRuriZudaDlg::NextUnitWireTrace()
{
    wireTrace_.NextUnit(SnForWireTrace());
    finishedSn_.clear();
}

void CRuriZudaDlg::StopWireTrace()
{
    wireTrace_.Stop(SnForWireTrace());
}

std::string CRuriZudaDlg::SnForWireTrace() const
{
    if (!unit.sn.empty())
        return unit.sn;
    return scanned.sn.empty() ? finishedSn_ : scanned.sn;
}
