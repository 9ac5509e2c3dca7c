// Replies from a controller are outside input: whatever a controller (or the
// line) sends must never make the library read or write outside its buffers,
// allocate from an impossible size, or report a damaged transfer as a
// success. The input is a script of replies; a port stands in for the line
// and frames each scripted reply for the request it just saw (right address
// and sequence, valid checksums), so the commands' own reply handling is
// reached, not only the frame checks. Some replies are sent raw instead.
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "CKorNetAccess.h"
#include "CKorNetPacket.h"
#include "KorNet.h"
#include "ports/CKorNetAbstractPort.h"

namespace {
class CScriptPort : public CKorNetAbstractPort {
public:
    CScriptPort(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    int16_t Open() override { return KORNET_OK; }
    int16_t Close() override { return KORNET_OK; }
    int16_t Write(const uint8_t* bytes, int16_t length) override
    {
        // A new request: script its reply.
        if (length >= 6) NextReply(bytes[2], bytes[4] & 0xF0, bytes[4] & 0x0F, length > 6 ? bytes + 6 : nullptr);
        return KORNET_OK;
    }
    int16_t ReadByteWithin(uint8_t& byte, int32_t) override
    {
        if (m_pending.empty()) return ERR_SIGN_NO_RESPONSE;
        byte = m_pending.front();
        m_pending.pop_front();
        return KORNET_OK;
    }
    void FlushInput() override { m_pending.clear(); }

private:
    uint8_t Take()
    {
        return m_pos < m_size ? m_data[m_pos++] : 0;
    }
    void NextReply(uint8_t address, uint8_t sequence, uint8_t type, const uint8_t* request)
    {
        if (m_pos >= m_size) return;  // script over: silence
        const uint8_t mode = Take();
        uint8_t length = Take();
        if ((mode & 0x07) == 7) {
            // raw bytes straight onto the line
            for (uint8_t i = 0; i < length && m_pos < m_size; ++i) m_pending.push_back(Take());
            return;
        }
        uint8_t data[255] = {};
        // echo the request's command bytes so replies get past the code check
        size_t at = 0;
        if (request != nullptr && (mode & 0x08) == 0) {
            data[at++] = request[0];
            if (request[0] == 0x80) data[at++] = request[1];
        }
        for (size_t i = at; i < length && m_pos < m_size; ++i) data[i] = Take();
        if (length < at) length = static_cast<uint8_t>(at);
        const uint8_t replyType = (mode & 0x10) ? static_cast<uint8_t>(mode >> 5) : (type == 3 || type == 11 ? type : 1);
        CKorNetPacket reply;
        reply.Build(address, sequence, replyType, data, length);
        m_pending.insert(m_pending.end(), reply.Bytes(), reply.Bytes() + reply.FrameLength());
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    std::deque<uint8_t> m_pending;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const uint8_t which = data[0];
    CKorNetwork network;
    CKorNetLink& link = CKorNetAccess::Link(network);
    link.port = std::make_unique<CScriptPort>(data + 1, size - 1);
    link.port->SetAbortFlag(&link.abortRequested);
    link.connected.store(true);
    network.SetMaxNumberOfRetries(1);

    int16_t status = 0;
    switch (which % 6) {
    case 0: {
        jx_resp_retrieve_file_s response{};
        const uint8_t* file = network.JxGetFile(1, "CONFIG.XML", status, &response, 0);
        if (file != nullptr && status == KORNET_OK) {
            // the whole announced length must be readable
            volatile uint8_t sum = 0;
            const uint32_t length = KorNetGet32(reinterpret_cast<const uint8_t*>(&response) + 120);
            for (uint32_t i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + file[i]);
        }
        break;
    }
    case 1: {
        jx_resp_retrieve_file_s response{};
        const uint8_t* file = network.JxGetFileCompressed(1, "STATUS.XML", status, &response, 0);
        if (file != nullptr && status == KORNET_OK) {
            volatile uint8_t sum = 0;
            const uint32_t length = KorNetGet32(reinterpret_cast<const uint8_t*>(&response) + 125);
            for (uint32_t i = 0; i < length; ++i) sum = static_cast<uint8_t>(sum + file[i]);
        }
        break;
    }
    case 2: {
        const uint8_t payload[600] = {1, 2, 3};
        network.JxSendFileCompressed(2, "A.TXT", payload, sizeof payload, nullptr, 0);
        break;
    }
    case 3: {
        char name[110];
        uint16_t value = 0;
        uint8_t state = 0;
        network.JxGetRunningMessage(3, 0, name, value, 0, state);
        uint16_t mask = 0;
        network.GetEnableBroadcastAddress(3, mask);
        break;
    }
    case 4: {
        uint8_t reply[300];
        const uint8_t request[] = {0x80, 0x17};
        network.GenericCommand(4, request, 2, reply, sizeof reply);
        break;
    }
    default: {
        const uint8_t* sent = nullptr;
        const uint8_t* received = nullptr;
        network.Ping(5);
        network.GetLastPacket(sent, received);
        break;
    }
    }
    link.connected.store(false);
    return 0;
}
