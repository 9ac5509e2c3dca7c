// A pseudo-terminal: the host opens its slave side as a serial port, the
// simulator reads and writes the master side. The simulator keeps the slave
// open too, so the line survives the host closing and reopening it, and so
// it can read the line speed the host set on it.
#pragma once

#include <cstdint>
#include <string>

#include "CSimLine.h"

namespace jxsim {

class CPtyLine final : public CSimLine {
public:
    CPtyLine();
    ~CPtyLine() override;

    bool Open(std::string& error);
    const std::string& SlavePath() const { return m_slavePath; }

    std::string Where() const override { return m_slavePath; }
    bool WaitForPeer() override;
    ReadResult Read(uint8_t* buffer, size_t capacity, int timeoutMs) override;
    bool Write(const uint8_t* bytes, size_t count) override;
    bool DropPeer() override { return false; }
    void Interrupt() override;
    bool HasSpeed() const override { return true; }
    uint32_t HostSpeed() const override;

    // The baud number of a termios speed constant; 0 for none.
    static uint32_t BaudOf(unsigned speedConstant);

private:
    int m_master = -1;
    int m_slave = -1;
    int m_wake = -1;
    bool m_stopped = false;
    std::string m_slavePath;
};

}  // namespace jxsim
