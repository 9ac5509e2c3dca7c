#include "CConfigExchange.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <new>
#include <string>
#include <thread>

#include <KorNet.h>

#include "CJxConfigApp.h"
#include "JxPaths.h"
#include "MessageBox.h"
#include "StatusText.h"
#include "config/CConfigDocument.h"
#include "connection/LinkOperation.h"
#include "xml/CXmlDocument.h"

CConfigExchange::CConfigExchange(CLinkOwner& owner, CConfigDocument& document, CJxConfigApp& app)
    : m_owner(owner), m_document(document), m_app(app)
{
}

void CConfigExchange::SetDisplay(uint8_t address, JxConnectionKind connectionKind)
{
    m_address = address;
    m_kind = connectionKind;
}

void CConfigExchange::SetWaitFunction(WaitFunction wait) { m_wait = std::move(wait); }

const std::string& CConfigExchange::DocumentName() const { return m_app.documents.config; }

std::string CConfigExchange::CopyPath(const char* copyName) const
{
    // The connect step refreshes the data folder; a link set up some other
    // way still finds it.
    const std::string folder = m_app.folders.data.empty() ? JxDataFolder() : m_app.folders.data;
    return folder.empty() ? std::string() : JxJoinPath(folder, copyName);
}

void CConfigExchange::WriteCopy(const char* copyName, const void* bytes, size_t length) const
{
    const std::string path = CopyPath(copyName);
    if (path.empty()) return;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return;
    if (length > 0) std::fwrite(bytes, 1, length, file);
    std::fclose(file);
}

bool CConfigExchange::Fetch()
{
    const std::string& name = DocumentName();
    m_owner.ClearCancel();
    m_owner.SetOperationStatus(FormatName(kJxGettingDocument, name));

    int16_t status = KORNET_OK;
    jx_resp_retrieve_file_s response{};
    const uint8_t* data = m_owner.Link().JxGetFile(m_address, name.c_str(), status, &response, 0);
    if (status != KORNET_OK) {
        m_owner.ReportFailure(FailureText(kJxUnableToGet, name, status, response.error));
        return false;
    }
    // An empty file comes back as no data at all; it then fails to parse.
    const size_t length = data != nullptr ? response.length : 0;

    bool loaded = false;
    try {
        // Our own copy: the link's buffer lives only until its next get.
        const std::string received(reinterpret_cast<const char*>(data), length);
        loaded = m_document.LoadText(received);
    } catch (const std::bad_alloc&) {
        JxShowMessage(JxMessageKind::Critical, FormatName(kJxNoMemoryForDocument, name));
        return false;
    }
    if (!loaded) {
        JxShowMessage(JxMessageKind::Critical, FormatName(kJxUnreadableDocument, name));
        return false;
    }
    WriteCopy(kJxReceivedCopyName, data, length);
    return true;
}

bool CConfigExchange::SendAndReset()
{
    const std::string& name = DocumentName();
    // Sending what is not a fetched document would replace the display's
    // configuration with nothing.
    if (!m_document.IsLoaded()) {
        JxShowMessage(JxMessageKind::Critical, FormatName(kJxUnreadableDocument, name));
        return false;
    }
    // Controllers no longer accept the IP port entries of older documents.
    m_document.RemoveLegacyIpPorts();
    m_owner.ClearCancel();
    m_owner.SetOperationStatus(FormatName(kJxSendingDocument, name));

    const std::string utf8 = CXmlDocument::SingleByteToUtf8(m_document.GetText());
    jx_resp_send_file_s response{};
    int16_t status = ERR_NETWORK_NO_WRITE;
    if (utf8.size() <= static_cast<size_t>(INT32_MAX))
        status = m_owner.Link().JxSendFile(m_address, name.c_str(), reinterpret_cast<const uint8_t*>(utf8.data()),
                                           static_cast<int32_t>(utf8.size()), &response, 0);
    if (status != KORNET_OK) {
        m_owner.ReportFailure(FailureText(kJxUnableToSend, name, status, response.error));
        return false;
    }

    // From here on the display holds the new document: the reset must go
    // through, so Abort stays off until it is done.
    m_owner.DisableAbort();
    WriteCopy(kJxSentCopyName, utf8.data(), utf8.size());

    const bool dialup = m_kind == JxConnectionKind::Dialup;
    m_owner.SetOperationStatus(dialup ? kJxWaitingDialup : kJxWaitingDirect);
    const int waitMs = dialup ? kJxResetWaitDialupMs : kJxResetWaitMs;
    if (m_wait) m_wait(waitMs);
    else std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));

    m_owner.SetOperationStatus(kJxResettingDisplay);
    if (Reset()) JxShowMessage(JxMessageKind::Information, name + kJxSentRebooting + kJxWaitForBoot);
    m_owner.EnableAbort();
    return true;
}

bool CConfigExchange::Reset()
{
    jx_resp_reset_display_s response{};
    const int16_t status = m_owner.Link().JxResetDisplay(m_address, m_app.resetOption, 0, &response);
    if (status == KORNET_OK || status == ERR_SIGN_NO_RESPONSE) return true;
    // Shown even after Abort: the operator must know the display did not reboot.
    JxShowMessage(JxMessageKind::Critical, FailureText(kJxUnableToReset, std::string(), status, response.error));
    return false;
}

JxExchangeOutcome JxRunConfigExchange(CConfigExchange& exchange, CJxConfigApp& app, const JxRunOperation& runOperation,
                                      const JxFunctionWindow& functionWindow)
{
    if (!runOperation([&exchange] { return exchange.Fetch(); })) return JxExchangeOutcome::NotFetched;
    CConnectionSettingUpdate update;
    if (!functionWindow(exchange.Document(), update)) return JxExchangeOutcome::Closed;
    if (!runOperation([&exchange] { return exchange.SendAndReset(); })) return JxExchangeOutcome::SendFailed;
    update.ApplyTo(app);
    return JxExchangeOutcome::Sent;
}
