// Byte reader over a file descriptor with a small receive buffer. The link
// reads replies one byte at a time, each byte with its own time-out; taking
// whatever is already waiting in one system call keeps that rule while
// sparing a system call per byte.
#pragma once

#include <cstddef>
#include <cstdint>

class CFdReader {
public:
    enum class Result { Byte, TimedOut, Closed, Error };

    void Reset(int fd)
    {
        m_fd = fd;
        m_begin = m_end = 0;
    }
    int Fd() const { return m_fd; }
    // Waits up to `timeOutMs` for one byte.
    Result ReadByte(uint8_t& byte, int32_t timeOutMs);
    // Drops what the buffer holds (not what the kernel holds).
    void Discard() { m_begin = m_end = 0; }
    size_t Buffered() const { return m_end - m_begin; }

private:
    int m_fd = -1;
    size_t m_begin = 0;
    size_t m_end = 0;
    uint8_t m_buffer[512];
};

// Monotonic milliseconds.
int64_t KorNetNowMs();

// Writes all `count` bytes to a non-blocking descriptor, waiting for room
// until `deadlineMs` (KorNetNowMs time). false on an error or at the deadline.
bool KorNetWriteAll(int fd, const uint8_t* bytes, size_t count, int64_t deadlineMs);
