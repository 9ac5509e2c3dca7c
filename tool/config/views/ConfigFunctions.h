// The main window's configuration functions that run the configuration
// exchange with a window of their own: Set Configuration, Set Clock Mode,
// Set Software Address and TCP/IP Configuration. Each connects through the
// Connect window, gets CONFIG.XML, runs its window, sends the document back
// and resets the display when the window closed with its set button, then
// disconnects.
#pragma once

class CMainWindow;
class CConfigDocument;

// Plugs the four functions into the main window; they share one CONFIG.XML
// model that lives as long as the window's functions.
void WireConfigFunctions(CMainWindow& window);

// Needs the module catalogue: without it, says so and connects to nothing.
void RunSetConfigurationFunction(CMainWindow& window, CConfigDocument& document);
void RunClockModeFunction(CMainWindow& window, CConfigDocument& document);
void RunSoftwareAddressFunction(CMainWindow& window, CConfigDocument& document);
void RunTcpIpConfigFunction(CMainWindow& window, CConfigDocument& document);
