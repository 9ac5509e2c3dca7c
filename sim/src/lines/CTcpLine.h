// TCP: one listening socket, one client at a time; the next client is
// accepted when the current one leaves.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "CSimLine.h"

namespace jxsim {

class CTcpLine final : public CSimLine {
public:
    CTcpLine();
    ~CTcpLine() override;

    // Binds and listens on host:port (port 0: any free port). False with a
    // reason when it cannot.
    bool Listen(const std::string& host, uint16_t port, std::string& error);
    uint16_t Port() const { return m_port; }

    std::string Where() const override;
    bool WaitForPeer() override;
    ReadResult Read(uint8_t* buffer, size_t capacity, int timeoutMs) override;
    bool Write(const uint8_t* bytes, size_t count) override;
    bool DropPeer() override;
    void Interrupt() override;

private:
    void CloseClient();
    // Drops the client at once, discarding what it has not read.
    void AbortClient();

    int m_listen = -1;
    int m_client = -1;
    int m_wake = -1;  // eventfd written by Interrupt
    std::string m_host;
    uint16_t m_port = 0;
};

}  // namespace jxsim
