#include "CKorNetLink.h"

#include <chrono>
#include <cstring>

using namespace kornet;

CKorNetLink::CKorNetLink() = default;

int16_t CKorNetLink::Acquire(bool clearAbort)
{
    if (!connected.load()) return ERR_COMMAND_NO_CONNECTION;
    if (busy.exchange(true)) return ERR_COMMAND_BUSY;
    if (clearAbort) abortRequested.store(false);
    return KORNET_OK;
}

int16_t CKorNetLink::ReplacePort(std::unique_ptr<CKorNetAbstractPort> newPort, const std::string& newLogName)
{
    if (connected.load()) return ERR_COMMAND_ALREADY_CONNECTED;
    if (busy.exchange(true)) return ERR_COMMAND_BUSY;
    port = std::move(newPort);
    if (port) {
        port->SetTimeOut(timeOut);
        port->SetAbortFlag(&abortRequested);
    }
    logFileName = newLogName;
    busy.store(false);
    return KORNET_OK;
}

void CKorNetLink::AdvanceSequence(uint8_t address)
{
    // 0x00 belongs to the sync frame alone.
    sequence[address] = static_cast<uint8_t>(sequence[address] + 0x10);
    if (sequence[address] == 0) sequence[address] = 0x10;
}

int16_t CKorNetLink::SyncFrame(uint8_t address)
{
    sequence[address] = 0;
    return Exchange(address, kTypeSync, nullptr, 0);
}

int16_t CKorNetLink::Synchronise(uint8_t address)
{
    if (synchronised[address]) return KORNET_OK;
    const int16_t status = SyncFrame(address);
    if (status == KORNET_OK) synchronised[address] = true;
    return status;
}

int16_t CKorNetLink::Exchange(uint8_t address, uint8_t type, const uint8_t* data, size_t length)
{
    actualRetries = 0;
    if (abortRequested.load()) {
        AdvanceSequence(address);
        return ERR_SIGN_ABORT;
    }
    if (!port) return ERR_COMMAND_NOT_CONFIGURED;
    if (length > kFrameDataMax) {
        // Such a request cannot be framed; nothing is sent.
        AdvanceSequence(address);
        return ERR_NETWORK_NO_WRITE;
    }

    // Replies to a command echo its command byte, or the sub-command of an
    // extended command; other frame types carry no code to check.
    uint8_t code = 0;
    if (type == kTypeCommand && length > 0) code = (data[0] == kExtendedPrefix && length > 1) ? data[1] : data[0];

    for (;;) {
        sent.Build(address, sequence[address], type, data, length);
        port->FlushInput();
        int16_t status = port->SendPacket(sent);
        if (IKorNetFrameObserver* observer = frameObserver.load()) ReportSent(*observer, status);
        if (abortRequested.load()) {
            AdvanceSequence(address);
            return ERR_SIGN_ABORT;
        }
        if (status != KORNET_OK || KorNetIsBroadcastAddress(address)) {
            LogAttempt(actualRetries == 0, status);
            AdvanceSequence(address);
            return status;
        }

        status = port->ReceivePacket(received);
        if (status == KORNET_OK) status = received.Validate(address, sequence[address], type, code);
        if (IKorNetFrameObserver* observer = frameObserver.load()) ReportReceived(*observer, status);
        if (status == ERR_SIGN_ABORT || status == KORNET_OK || status == ERR_SIGN_UNSUPPORTED_COMMAND) {
            LogAttempt(actualRetries == 0, status);
            AdvanceSequence(address);
            return status;
        }

        LogAttempt(actualRetries == 0, status);
        if (actualRetries >= maxRetries) {
            AdvanceSequence(address);
            return status;
        }
        ++actualRetries;
        if (abortRequested.load()) {
            AdvanceSequence(address);
            return ERR_SIGN_ABORT;
        }
    }
}

namespace {
int64_t NowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

void CKorNetLink::ReportSent(IKorNetFrameObserver& observer, int16_t status)
{
    KorNetFrameRecord r;
    r.timeUs = NowUs();
    r.direction = KorNetFrameDirection::Sent;
    r.bytes = sent.Bytes();
    r.length = sent.FrameLength();
    r.attempt = actualRetries;
    r.status = status;
    observer.OnFrame(r);
}

void CKorNetLink::ReportReceived(IKorNetFrameObserver& observer, int16_t status)
{
    KorNetFrameRecord r;
    r.timeUs = NowUs();
    r.attempt = actualRetries;
    if (port->StrayCount() > 0) {
        r.direction = KorNetFrameDirection::Stray;
        r.bytes = port->StrayBytes();
        r.length = port->StrayCount();
        observer.OnFrame(r);
    }
    r.direction = KorNetFrameDirection::Received;
    r.bytes = received.Bytes();
    r.length = port->FrameBytesRead();
    r.status = status;
    observer.OnFrame(r);
}

int16_t CKorNetLink::CheckReply(uint8_t address, int16_t status, void* response, size_t responseSize, size_t errorByte)
{
    if (status != KORNET_OK || KorNetIsBroadcastAddress(address)) return status;
    if (response != nullptr && responseSize > 0) {
        // The received frame buffer always holds kFrameDataMax + 1 bytes after
        // the header, cleared before the receive.
        const size_t n = responseSize < kFrameDataMax ? responseSize : kFrameDataMax;
        std::memcpy(response, received.Data(), n);
    }
    if (received.DataByte(errorByte) != 0) return ERR_SIGN_RESPONSE_ERROR;
    return KORNET_OK;
}

int16_t CKorNetLink::RunCommand(uint8_t address, const uint8_t* request, size_t length, void* response,
                                size_t responseSize, size_t errorByte, bool refuseBroadcast)
{
    CKorNetBusy guard(*this);
    if (!guard.Ok()) return guard.Status();
    if (refuseBroadcast && KorNetIsBroadcastAddress(address)) return ERR_COMMAND_NO_BROADCAST;
    int16_t status = Synchronise(address);
    if (status != KORNET_OK) return status;
    status = Exchange(address, kTypeCommand, request, length);
    return CheckReply(address, status, response, responseSize, errorByte);
}

void CKorNetLink::ProgressBegin(int16_t total)
{
    progressCount = 0;
    progressTotal = total;
    if (eventHandler != nullptr) eventHandler->OnProgress(progressCount, progressTotal, userValue);
}

void CKorNetLink::ProgressStep()
{
    ++progressCount;
    if (eventHandler != nullptr) eventHandler->OnProgress(progressCount, progressTotal, userValue);
}

uint8_t* CKorNetLink::NewRetrieved(size_t size)
{
    std::vector<uint8_t> fresh(size, 0);
    retrieved.swap(fresh);
    return retrieved.data();
}

void KorNetCopyName(uint8_t* field, size_t width, const char* name)
{
    std::memset(field, 0, width);
    if (name == nullptr) return;
    for (size_t i = 0; i < width && name[i] != '\0'; ++i) field[i] = static_cast<uint8_t>(name[i]);
}
