// "Apply file to selected devices…" of the virtual serial page: the devices
// ticked in its list, the file in use (the File menu's), the account and
// product in its fields and the platform as it reaches it; asks first (it
// writes to that many remote devices), then opens the run's dialog.
#pragma once

class FleetApplyDialog;
class QWidget;
class VirtualSerialTool;

// The dialog shown, or null when nothing was ticked or the user said No.
FleetApplyDialog *FleetApplyAskAndStart(QWidget *parent, const VirtualSerialTool &tool);
