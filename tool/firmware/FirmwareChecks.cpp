#include "FirmwareChecks.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <unistd.h>

#include "CDirectoryListing.h"
#include "connection/LinkOperation.h"
#include "shell/JxPaths.h"
#include "shell/StatusText.h"
#include "xml/CXmlDocument.h"

namespace {

constexpr uint8_t kFileNotFound = 2;  // the controller's "can't find the file"

int LowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

int CompareIgnoringCase(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int d = LowerAscii(static_cast<unsigned char>(a[i])) - LowerAscii(static_cast<unsigned char>(b[i]));
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool HasFirmwareType(const std::string& name, const std::string& type)
{
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && CompareIgnoringCase(std::string_view(name).substr(dot), type) == 0;
}

// The leading decimal number of a text (blanks and a sign allowed), 0 when
// it begins with none. Read without the locale: a tool running in a
// language that writes "3,07" must still read 3.07.
double LeadingNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    double value = 0;
    const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    (void)end;
    if (error == std::errc::invalid_argument) return 0;
    return negative ? -value : value;
}

// Writes `data` to a new file of its own in `folder` and gives its path.
// The name is unique so that a second tool, or a planted link, never meets
// this file.
bool SaveToTemporaryFile(const std::string& folder, const uint8_t* data, size_t length, std::string& path)
{
    std::string pattern = JxJoinPath(folder.empty() ? JxTempFolder() : folder, std::string(kJxDirectoryDocument) + ".XXXXXX");
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    path = pattern;
    size_t done = 0;
    while (done < length) {
        const ssize_t n = write(fd, data + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const bool closed = close(fd) == 0;
    if (done == length && closed) return true;
    unlink(path.c_str());
    return false;
}

}  // namespace

int ClassifyControllerVersion(std::string_view version)
{
    const size_t dash = version.find('-');
    if (version.empty() || dash == std::string_view::npos) return kJxControllerUnknown;
    const double x = LeadingNumber(version.substr(dash + 1));
    if (x > 0 && x < 3.07) return kJxControllerBefore307;
    if (x == 3.07) return kJxController307;
    if (x >= 3.08) return kJxController308OrLater;
    return kJxControllerUnknown;  // 0 or less, between 3.07 and 3.08, not a number
}

int ClassifyStatusDocument(std::string_view statusText)
{
    CXmlDocument document;
    if (!document.Parse(std::string(statusText), false) || !document.FindNextElement("STATUS"))
        return kJxControllerUnknown;
    return ClassifyControllerVersion(document.GetAttribute("vr"));
}

int ClassifyControllerFirmware(CKorNetwork& link, uint8_t address)
{
    jx_resp_retrieve_file_s response{};
    int16_t status = KORNET_OK;
    const uint8_t* data = link.JxGetFile(address, kJxStatusDocument, status, &response, 0);
    if (status != KORNET_OK || data == nullptr) return kJxControllerUnknown;
    return ClassifyStatusDocument(std::string_view(reinterpret_cast<const char*>(data), response.length));
}

bool ListDisplayFirmware(CKorNetwork& link, uint8_t address, const std::string& tempFolder,
                         const JxFailureReporter& reportFailure, std::vector<std::string>& list,
                         const std::string& firmwareType)
{
    list.clear();
    jx_resp_retrieve_file_s response{};
    int16_t status = KORNET_OK;
    const uint8_t* data = link.JxGetFileCompressed(address, kJxDirectoryDocument, status, &response, 0);
    if (status != KORNET_OK) {
        // A controller that keeps no directory has no old firmware either.
        if (status == ERR_SIGN_RESPONSE_ERROR && response.error == kFileNotFound) return true;
        reportFailure(FailureText("Unable to open %s: ", kJxDirectoryDocument, status, response.error));
        return false;
    }

    std::string saved;
    if (!SaveToTemporaryFile(tempFolder, data, data ? response.uncompressedLength : 0, saved)) {
        reportFailure(FormatName("Unable to save %s after retrieving it from display.", kJxDirectoryDocument));
        return false;
    }
    CDirectoryListing listing;
    std::vector<std::string> names;
    const bool loaded = listing.Load(saved, names);
    unlink(saved.c_str());
    if (!loaded) {
        reportFailure(FormatName("Unable to parse %s after retrieving it from display.", kJxDirectoryDocument));
        return false;
    }
    for (auto& name : names)
        if (HasFirmwareType(name, firmwareType)) list.push_back(std::move(name));
    return true;
}

void DeleteOldFirmware(CKorNetwork& link, uint8_t address, const std::vector<std::string>& list,
                       const std::string& newName, const JxFailureReporter& reportFailure,
                       const std::function<void()>& disableAbort)
{
    if (disableAbort) disableAbort();
    for (const std::string& name : list) {
        jx_resp_delete_file_s response{};
        const int16_t status = link.JxDeleteFile(address, name.c_str(), &response, 0);
        if (status == KORNET_OK) continue;
        const std::string cause = StatusText(status, response.error);
        // The controller starts the first image by name: an old one that
        // stays and sorts first keeps running instead of the new one.
        if (CompareIgnoringCase(newName, name) > 0)
            reportFailure("Unable to delete old firmware (" + name + "). The new firmware cannot take affect.\nError cause: " + cause);
        else
            reportFailure("Unable to delete old firmware (" + name + "): " + cause);
    }
}

bool ListDisplayFirmware(CLinkOwner& owner, uint8_t address, const std::string& tempFolder,
                         std::vector<std::string>& list, const std::string& firmwareType)
{
    return ListDisplayFirmware(
        owner.Link(), address, tempFolder, [&owner](const std::string& m) { owner.ReportFailure(m); }, list, firmwareType);
}

void DeleteOldFirmware(CLinkOwner& owner, uint8_t address, const std::vector<std::string>& list,
                       const std::string& newName)
{
    DeleteOldFirmware(
        owner.Link(), address, list, newName, [&owner](const std::string& m) { owner.ReportFailure(m); },
        [&owner] { owner.DisableAbort(); });
}
