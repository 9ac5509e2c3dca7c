// The rules of the "Download Firmware" window without its widgets: what it
// shows when it opens, what it remembers on Close, when the high-speed box
// may be ticked, and how its file pickers start.
#pragma once

#include <string>

#include "FirmwareDownload.h"

class CJxConfigApp;

// The saved firmware file and driver, the saved connection, the box ticked.
CFirmwareDownloadRequest LoadFirmwareDownloadChoice(const CJxConfigApp& app);
// Close: the connection choice and the two paths go to the settings.
void StoreFirmwareDownloadChoice(CJxConfigApp& app, const CFirmwareDownloadRequest& choice);

// The temporary high speed is for a direct serial line only.
bool HighSpeedAllowed(JxConnectionKind connectionKind);

inline constexpr const char* kJxPickerTitle = "Select a File To Download:";
// "Jx Firmware File (*.EXE)", "Jx Firmware Driver (*.RBF)". The picker
// matches it ignoring case, so main.exe shows as well.
std::string FirmwarePickerFilter(JxImageKind kind, const std::string& type);
// Where a picker starts: the folder of the field's file when that folder
// exists, else `home`.
std::string FirmwarePickerFolder(const std::string& fieldPath, const std::string& home);
