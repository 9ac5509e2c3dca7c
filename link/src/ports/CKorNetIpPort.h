// A controller reached over a network: one TCP connection per link, carrying
// the same frames as the serial line with no framing of its own.
#pragma once

#include <cstdint>
#include <string>

#include "CFdReader.h"
#include "CKorNetAbstractPort.h"

class CKorNetIpPort : public CKorNetAbstractPort {
public:
    // A port without an address yet (a host look-up that failed leaves it so);
    // Open fails until SetAddress.
    explicit CKorNetIpPort(int16_t tcpPort);
    CKorNetIpPort(const uint8_t address[4], int16_t tcpPort);
    ~CKorNetIpPort() override;

    void SetAddress(const uint8_t address[4]);
    bool HasAddress() const { return m_hasAddress; }
    const uint8_t* Address() const { return m_address; }
    uint16_t TcpPort() const { return m_tcpPort; }

    int16_t Open() override;
    int16_t Close() override;
    int16_t Write(const uint8_t* bytes, int16_t length) override;
    void FlushInput() override;

    // How long Open waits for the connection with a given per-byte time-out.
    static int32_t ConnectWaitMs(int32_t timeOut);

protected:
    int16_t ReadByteWithin(uint8_t& byte, int32_t waitMs) override;

private:
    // Puts the port's time-out on the socket's blocking sends when it changed.
    void ApplyTimeOuts();

    uint8_t m_address[4] = {};
    bool m_hasAddress = false;
    uint16_t m_tcpPort;
    int m_fd = -1;
    // Replies are read a byte at a time; the reader takes whatever has
    // arrived in one receive. FlushInput empties it.
    CFdReader m_reader;
};

// "Remote a,b,c,d;port.txt", the diagnostics log name of a TCP/IP link.
std::string KorNetRemoteLogName(const uint8_t address[4], uint16_t tcpPort);

// Resolves a host name to its first IPv4 address. Returns KORNET_OK or the
// ERR_DNS_ status that says why the look-up failed.
int16_t KorNetResolveHost(const char* hostName, uint8_t address[4]);

// The ERR_DNS_ status for a getaddrinfo failure (`sysErrno` is errno, read
// only for EAI_SYSTEM).
int16_t KorNetLookupStatus(int gaiError, int sysErrno);
