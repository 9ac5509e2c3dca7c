// Plugs "Jx File &Transfer" into the main window.
#pragma once

class CMainWindow;

void WireFileTransferFunction(CMainWindow& window);
