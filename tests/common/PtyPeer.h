// The controller side of a pseudo-terminal for tests: the library opens the
// slave through a port map entry "COMn=<slave>", and the test reads exactly
// what the library wrote from the master and answers with exact bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TempDir.h"

class PtyPeer {
public:
    // Opens a pseudo-terminal and writes a port map in `dir` that names its
    // slave as COM `comNumber`; points KORNET_PORTMAP at it.
    PtyPeer(const TempDir& dir, int comNumber);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& SlavePath() const { return m_slave; }
    int MasterFd() const { return m_master; }

    // Reads exactly `count` bytes within `timeoutMs`; fewer when it runs out.
    std::vector<uint8_t> Read(size_t count, int timeoutMs = 2000);
    // Reads one whole frame (6 bytes, or N + 7) within `timeoutMs`.
    std::vector<uint8_t> ReadFrame(int timeoutMs = 2000);
    // Whatever arrives within `timeoutMs` (used to prove that nothing came).
    std::vector<uint8_t> Drain(int timeoutMs);
    void Write(const std::vector<uint8_t>& bytes);

private:
    int m_master = -1;
    int m_keepSlave = -1;  // keeps the slave side alive between opens
    std::string m_slave;
};
