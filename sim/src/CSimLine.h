// The line between the host and the controllers: a TCP connection, a
// pseudo-terminal, or a front end wrapped around one of them (a modem that
// answers AT commands before it carries the line). The engine only reads
// bytes, writes bytes and asks for the host's line speed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace jxsim {

class CSimLine {
public:
    // A host that has not taken a reply within this long is not reading:
    // a write gives up rather than hold the line (and the program's stop).
    static constexpr int kWriteLimitMs = 2000;

    struct ReadResult {
        enum Status {
            Data,      // `count` bytes arrived
            Timeout,   // nothing within the wait
            PeerGone,  // the host left (TCP closed, modem hung up)
            Stopped,   // Interrupt() was called
            Failed,    // the line itself failed
        } status = Timeout;
        size_t count = 0;
        // The host's line speed when the bytes arrived (lines with a speed
        // only). Bytes sent at another speed than a controller's are noise
        // to it.
        uint32_t speed = 0;
    };

    virtual ~CSimLine() = default;

    // Where a host reaches the line: "127.0.0.1:3001", "/dev/pts/4".
    virtual std::string Where() const = 0;
    // Blocks until a host is attached (TCP: the next client). False when
    // the line is stopping or broken.
    virtual bool WaitForPeer() = 0;
    virtual ReadResult Read(uint8_t* buffer, size_t capacity, int timeoutMs) = 0;
    // Writes every byte; false when the host is gone, does not read within
    // kWriteLimitMs, or Interrupt() was called.
    virtual bool Write(const uint8_t* bytes, size_t count) = 0;
    // Ends the current host's connection (a fault). False when the line
    // cannot be cut (a pseudo-terminal); the engine then goes deaf instead.
    virtual bool DropPeer() = 0;
    // Wakes WaitForPeer and Read from another thread so the engine can stop.
    virtual void Interrupt() = 0;
    // Whether the line has a speed at all (a serial line does, TCP does not).
    virtual bool HasSpeed() const { return false; }
    // The host's line speed now; 0 on a line without one, or with the
    // line dropped (speed B0).
    virtual uint32_t HostSpeed() const { return 0; }
};

}  // namespace jxsim
