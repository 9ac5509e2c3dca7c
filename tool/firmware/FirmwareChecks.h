// The firmware download's checks against the controller: which firmware
// generation it runs (STATUS.XML "vr"), which firmware images it holds
// (DIRECTORY.XML) and the removal of the old ones after a new image was
// stored. They run on the download's worker thread with the dialog's link;
// failures go to the reporter the caller passes (the dialog's ReportFailure,
// which stays silent after Abort).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <KorNet.h>

class CLinkOwner;

using JxFailureReporter = std::function<void(const std::string&)>;

// Classes of a controller's firmware.
inline constexpr int kJxControllerUnknown = -1;     // no version known
inline constexpr int kJxControllerBefore307 = 1;    // above 0 and below 3.07
inline constexpr int kJxController307 = 2;          // exactly 3.07
inline constexpr int kJxController308OrLater = 3;   // 3.08 or higher

inline constexpr const char* kJxFirmwareType = ".EXE";
inline constexpr const char* kJxStatusDocument = "STATUS.XML";
inline constexpr const char* kJxDirectoryDocument = "DIRECTORY.XML";

// Fetches STATUS.XML and classifies its version; -1 when it cannot be
// fetched or read. Reports nothing.
int ClassifyControllerFirmware(CKorNetwork& link, uint8_t address);
// The class of a STATUS.XML text (taken at exactly its length).
int ClassifyStatusDocument(std::string_view statusText);
// The class of a "vr" value: the number after its first "-" ("TJX-3.07").
int ClassifyControllerVersion(std::string_view version);

// Lists the controller's firmware images (names ending in `firmwareType`,
// ignoring case) from its DIRECTORY.XML, read through a file in `tempFolder`
// that is removed again. A controller without DIRECTORY.XML has none: true
// with an empty list. False, after reporting why, when the document cannot
// be fetched, saved or read.
bool ListDisplayFirmware(CKorNetwork& link, uint8_t address, const std::string& tempFolder,
                         const JxFailureReporter& reportFailure, std::vector<std::string>& list,
                         const std::string& firmwareType = kJxFirmwareType);
// Deletes every listed file from the controller; each failure is reported
// and the next file is tried. A file that could not be deleted and sorts
// before `newName` would still be started in its place, and the message
// says so. `disableAbort` (may be empty) is called first: a half-done
// removal must not be cut short.
void DeleteOldFirmware(CKorNetwork& link, uint8_t address, const std::vector<std::string>& list,
                       const std::string& newName, const JxFailureReporter& reportFailure,
                       const std::function<void()>& disableAbort = {});

// The same with a window's link owner: its link, its ReportFailure and its
// progress window's Abort button.
bool ListDisplayFirmware(CLinkOwner& owner, uint8_t address, const std::string& tempFolder,
                         std::vector<std::string>& list, const std::string& firmwareType = kJxFirmwareType);
void DeleteOldFirmware(CLinkOwner& owner, uint8_t address, const std::vector<std::string>& list,
                       const std::string& newName);
