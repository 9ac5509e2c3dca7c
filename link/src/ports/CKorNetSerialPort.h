// A local serial port (RS-232, or RS-485 through a line converter to a chain
// of controllers): raw 8N1, no flow control, receiver on, modem control lines
// ignored, and RTS raised only while transmitting where the driver can do it.
#pragma once

#include "CFdReader.h"
#include "CKorNetAbstractPort.h"

class CKorNetSerialPort : public CKorNetAbstractPort {
public:
    CKorNetSerialPort(int16_t comPort, int32_t baudRate, bool flag);
    ~CKorNetSerialPort() override;

    int16_t Open() override;
    int16_t Close() override;
    int16_t Write(const uint8_t* bytes, int16_t length) override;
    void FlushInput() override;
    // The time-out, then the longest frame at the line's speed twice over
    // (10 bits a byte) and a quarter second for the system's scheduling.
    int32_t ReplyLimitMs() const override;

    // How the device is opened (::open by default). The library's tests put
    // a failing one here: they run as root, whom no device refuses.
    using OpenFunction = int (*)(const char* path, int flags);
    void SetOpenFunction(OpenFunction openDevice) { m_openDevice = openDevice; }

    int16_t ComPort() const { return m_comPort; }
    int32_t BaudRate() const { return m_baudRate; }
    bool Flag() const { return m_flag; }

protected:
    int16_t ReadByteWithin(uint8_t& byte, int32_t waitMs) override;

private:
    int16_t Failed(const std::string& reason);

    int m_fd = -1;
    OpenFunction m_openDevice;
    int32_t m_baudRate;
    int16_t m_comPort;
    bool m_flag;  // kept with the settings; no serial operation reads it
    CFdReader m_reader;
};
