// The host side of a line to jxsim, byte for byte: a TCP connection or the
// slave of its pseudo-terminal opened at a chosen speed. Tests write exact
// request frames and read exactly what the controllers answer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Frames.h"

class RawHost {
public:
    static RawHost Tcp(uint16_t port);
    // Opens the slave raw at `baud` (a standard termios speed).
    static RawHost Serial(const std::string& device, uint32_t baud);
    RawHost(RawHost&& other) noexcept;
    ~RawHost();

    bool Ok() const { return m_fd >= 0; }
    void SetSpeed(uint32_t baud);
    void Write(const Bytes& bytes);
    // One whole frame within `timeoutMs` (after skipping bytes before a
    // 0x55); whatever arrived when it runs out.
    Bytes ReadFrame(int timeoutMs = 2000);
    // Everything that arrives within `timeoutMs`.
    Bytes Drain(int timeoutMs);
    // True when the peer closed the connection (TCP) within `timeoutMs`.
    bool Closed(int timeoutMs);
    // Writes `request` and reads the reply frame.
    Bytes Exchange(const Bytes& request, int timeoutMs = 2000)
    {
        Write(request);
        return ReadFrame(timeoutMs);
    }

private:
    explicit RawHost(int fd) : m_fd(fd) {}
    Bytes Read(size_t count, int timeoutMs);

    int m_fd = -1;
};

// A Jx request of `length` data bytes: 0x80, the sub-command, zeros.
Bytes JxRequest(uint8_t sub, size_t length);
// Puts `name` into the 110-byte name field at `offset`.
void PutName(Bytes& request, size_t offset, const std::string& name);
// The data bytes of a reply frame (empty when it has none or is cut short).
Bytes ReplyData(const Bytes& frame);
