#pragma once

#include "station/CRuriZudaDlg.h"
#include "station/OperationSpec.h"

namespace buttons {

// One button of the window and what pressing it runs. A single item runs
// `item`, or the AT command `command`, as one guarded operation reported by
// `spec`. A button whose flow is its own runs `operation`; the USB-mode writes
// among them report by the row's `spec` too.
struct Row {
    int control;
    OperationSpec spec {};
    int (CRuriZudaDlg::*item)() = nullptr;
    int (*command)() = nullptr;
    void (CRuriZudaDlg::*operation)() = nullptr;
};

// The row of a button; nullptr for a control that runs nothing.
const Row* Find(int control);

}  // namespace buttons
