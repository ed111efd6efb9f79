#include "app/WindowEvents.h"

#include "station/CRuriZudaDlg.h"

void ControllerEvents::OnCommand(int controlId)
{
    controller_.OnCommand(controlId);
}

void ControllerEvents::OnTimer(int timerId)
{
    controller_.OnTimer(timerId);
}

bool ControllerEvents::OnEnterKey(int focusedControl)
{
    return controller_.OnEnterKey(focusedControl);
}

void ControllerEvents::OnDeviceNotification()
{
    controller_.OnDeviceNotification();
}

void ControllerEvents::OnDestroy()
{
    controller_.OnDestroy();
}

void ControllerEvents::OnFirstMessage()
{
    controller_.OnFirstMessage();
}
