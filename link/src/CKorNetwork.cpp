// Lifecycle, settings and raw access of the exported link class.
#include <cstdio>
#include <cstring>

#include "CKorNetLink.h"
#include "ports/CKorNetSerialPort.h"

using namespace kornet;

CKorNetwork::CKorNetwork() : m_link(std::make_unique<CKorNetLink>()) {}

CKorNetwork::~CKorNetwork()
{
    // Callers disconnect first; closing here as well keeps a forgotten
    // Disconnect from leaking a device or a call.
    if (m_link->port && m_link->connected.load()) m_link->port->Close();
}

int16_t CKorNetwork::ConfigureDirect(int16_t comPort, int32_t baudRate, bool flag)
{
    char name[32];
    std::snprintf(name, sizeof name, "Direct COM%d", comPort);
    return m_link->ReplacePort(std::make_unique<CKorNetSerialPort>(comPort, baudRate, flag), std::string(name) + ".txt");
}

int16_t CKorNetwork::Connect()
{
    CKorNetLink& link = *m_link;
    if (link.connected.load()) return ERR_COMMAND_ALREADY_CONNECTED;
    if (link.busy.exchange(true)) return ERR_COMMAND_BUSY;
    int16_t status = ERR_COMMAND_NOT_CONFIGURED;
    if (link.port) {
        std::memset(link.synchronised, 0, sizeof link.synchronised);
        // An Abort meant for an earlier call must not cancel this connect;
        // an Abort during it ends a long wait (TCP connect, modem call).
        link.abortRequested.store(false);
        status = link.port->Open();
        if (status == KORNET_OK) link.connected.store(true);
    }
    link.busy.store(false);
    return status;
}

int16_t CKorNetwork::Disconnect()
{
    CKorNetLink& link = *m_link;
    // Closing the port under a call that another thread is running would
    // pull its descriptor away mid-read; that call is ended with Abort.
    if (link.busy.exchange(true)) return ERR_COMMAND_BUSY;
    const int16_t status = link.port ? link.port->Close() : ERR_COMMAND_NOT_CONFIGURED;
    link.connected.store(false);
    link.busy.store(false);
    return status;
}

void CKorNetwork::Abort() { m_link->abortRequested.store(true); }

void CKorNetwork::SetTimeOut(int32_t milliseconds)
{
    m_link->timeOut = milliseconds;
    if (m_link->port) m_link->port->SetTimeOut(milliseconds);
}

void CKorNetwork::SetMaxNumberOfRetries(int16_t count)
{
    if (count >= 0) m_link->maxRetries = count;
}

int16_t CKorNetwork::GetMaxNumberOfRetries() const { return m_link->maxRetries; }

int16_t CKorNetwork::GetActualNumberOfRetries() const { return m_link->actualRetries; }

void CKorNetwork::SetRelaxValidationMode() { m_link->received.SetRelaxedValidation(true); }

void CKorNetwork::RegisterEventHandler(CKorNetworkEvents* handler, int16_t userValue)
{
    m_link->eventHandler = handler;
    m_link->userValue = userValue;
    if (m_link->port) m_link->port->SetEventHandler(handler, userValue);
}

int32_t CKorNetwork::GetLastTAPIerror(const char*& text)
{
    if (!m_link->port) return 0;
    text = m_link->port->LastErrorText().c_str();
    return m_link->port->LastErrorCode();
}

const char* CKorNetwork::GetLastPortError() const
{
    const auto* serial = dynamic_cast<const CKorNetSerialPort*>(m_link->port.get());
    return serial != nullptr ? serial->LastErrorText().c_str() : "";
}

void CKorNetwork::EnableDiagnostics(bool errorsOnly, const char* logFolder)
{
    {
        std::lock_guard<std::mutex> lock(m_link->logMutex);
        m_link->logErrorsOnly = errorsOnly;
        m_link->logFolder = logFolder != nullptr ? logFolder : "";
    }
    m_link->diagnosticsEnabled.store(true);
}

void CKorNetwork::DisableDiagnostics() { m_link->diagnosticsEnabled.store(false); }

void CKorNetwork::SetFrameObserver(IKorNetFrameObserver* observer) { m_link->frameObserver.store(observer); }

IKorNetFrameObserver* CKorNetwork::FrameObserver() const { return m_link->frameObserver.load(); }

int16_t CKorNetwork::WritePort(const uint8_t* bytes, int16_t length)
{
    CKorNetBusy guard(*m_link, false);
    if (!guard.Ok()) return guard.Status();
    return m_link->port->Write(bytes, length);
}

int16_t CKorNetwork::ReadChar(uint8_t& byte)
{
    CKorNetBusy guard(*m_link, false);
    if (!guard.Ok()) return guard.Status();
    return m_link->port->ReadByte(byte);
}

int16_t CKorNetwork::FlushReceiveBuffer()
{
    CKorNetBusy guard(*m_link, false);
    if (!guard.Ok()) return guard.Status();
    m_link->port->FlushInput();
    return KORNET_OK;
}

void CKorNetwork::GetLastPacket(const uint8_t*& sent, const uint8_t*& received) const
{
    sent = m_link->sent.Bytes();
    received = m_link->received.Bytes();
}
