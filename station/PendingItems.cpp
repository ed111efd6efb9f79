// Placeholders for operations that the network-lock and lookup-database work
// provides. They let the one-key test and the Enter walk name them now.
// Remove this file when those operations land.
#include "station/CRuriZudaDlg.h"

int CRuriZudaDlg::LookupMacByImei()
{
    return 0;
}

int CRuriZudaDlg::LookupSnByImei()
{
    return 0;
}
