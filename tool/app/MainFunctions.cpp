#include "MainFunctions.h"

#include "config/views/ConfigFunctions.h"
#include "filetransfer/views/FileTransferFunctions.h"
#include "firmware/views/FirmwareFunctions.h"
#include "shell/views/CMainWindow.h"

void WireMainFunctions(CMainWindow& window)
{
    // Each function adds itself here (SetFunction); the others stay disabled.
    WireConfigFunctions(window);  // Set Clock Mode, Set Software Address, TCP/IP Configuration
    WireFirmwareFunction(window);  // Download Firmware
    WireFileTransferFunction(window);  // Jx File Transfer
}
