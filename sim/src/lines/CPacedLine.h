// A serial line that takes its time: bytes go out and come in at the host's
// line speed, ten bits a byte (start, eight data bits, stop), as on a real
// cable. A pseudo-terminal alone passes any amount at once, so without this
// a faster line speed would change nothing a program could measure.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "CSimLine.h"

namespace jxsim {

// When the bytes of a line at `baud` are through: each call adds `count`
// bytes after the previous ones (or from `now`, when the line was idle).
class CLineClock {
public:
    using Clock = std::chrono::steady_clock;
    static Clock::duration ByteTime(uint32_t baud);
    // The moment the last of `count` bytes has passed the line.
    Clock::time_point Pass(size_t count, uint32_t baud, Clock::time_point now);

private:
    Clock::time_point m_free{};
};

class CPacedLine final : public CSimLine {
public:
    explicit CPacedLine(std::unique_ptr<CSimLine> inner) : m_inner(std::move(inner)) {}

    std::string Where() const override { return m_inner->Where(); }
    bool WaitForPeer() override { return m_inner->WaitForPeer(); }
    ReadResult Read(uint8_t* buffer, size_t capacity, int timeoutMs) override;
    bool Write(const uint8_t* bytes, size_t count) override;
    bool DropPeer() override { return m_inner->DropPeer(); }
    void Interrupt() override { m_inner->Interrupt(); }
    bool HasSpeed() const override { return m_inner->HasSpeed(); }
    uint32_t HostSpeed() const override { return m_inner->HostSpeed(); }

private:
    std::unique_ptr<CSimLine> m_inner;
    CLineClock m_in, m_out;
};

}  // namespace jxsim
