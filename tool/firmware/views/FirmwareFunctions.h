// Plugs "Download &Firmware" into the main window.
#pragma once

class CMainWindow;

void WireFirmwareFunction(CMainWindow& window);
