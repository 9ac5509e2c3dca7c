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
    // `receiveBuffer` > 0 makes the receive buffer that small (set before
    // connecting, so the window offered stays small too).
    static RawHost Tcp(uint16_t port, int receiveBuffer = 0);
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
    // Sends `frames` in turn, over and over, reading nothing, until the
    // server has taken no byte for `quietMs`: true then. False when the
    // connection broke first or `timeoutMs` ran out.
    bool FloodUntilStalled(const std::vector<Bytes>& frames, int quietMs, int timeoutMs);
    // True when the server closed or reset the connection within
    // `timeoutMs`; reads nothing.
    bool Dropped(int timeoutMs);
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
// A get of `name` from the controller at `address`, then requests for its
// first block with every sequence nibble: each reply is far longer than its
// request, so a host that sends these and never reads soon fills the line.
std::vector<Bytes> BlockRequestFlood(uint8_t address, const std::string& name);
// Puts `name` into the 110-byte name field at `offset`.
void PutName(Bytes& request, size_t offset, const std::string& name);
// The data bytes of a reply frame (empty when it has none or is cut short).
Bytes ReplyData(const Bytes& frame);
