// The wire trace of the station: one trace file per unit.
#include "station/CRuriZudaDlg.h"

#include "link/Trace.h"

void CRuriZudaDlg::StartWireTrace()
{
    const std::string& folder = options_.wireTraceDir.empty() ? profile.station.wireTraceDir : options_.wireTraceDir;
    if (folder.empty())
        return;
    std::string error;
    if (!wireTrace_.Start(folder, error))
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
