// The controller side of a TCP link for tests: a listener on 127.0.0.1 with
// a port chosen by the system. The library connects to it with
// ConfigureRemote; the test reads exactly what the library sent and answers
// with exact bytes, in one piece or split over several TCP segments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TcpPeer {
public:
    // `backlog` 0 lets a test fill the queue so that further connects hang.
    explicit TcpPeer(int backlog = 4);
    ~TcpPeer();
    TcpPeer(const TcpPeer&) = delete;
    TcpPeer& operator=(const TcpPeer&) = delete;

    uint16_t Port() const { return m_port; }
    static const uint8_t* Loopback();  // {127, 0, 0, 1}

    // Takes the next connection from the listener (dropping an earlier one).
    bool Accept(int timeoutMs = 2000);
    // Closes the accepted connection, as a controller that hangs up.
    void HangUp();
    void CloseListener();
    // The accepted connection's descriptor (-1 when there is none).
    int ConnFd() const { return m_conn; }

    // The reads and writes accept a pending connection first when needed.
    // Reads exactly `count` bytes within `timeoutMs`; fewer when it runs out.
    std::vector<uint8_t> Read(size_t count, int timeoutMs = 2000);
    // One whole frame (6 bytes, or N + 7).
    std::vector<uint8_t> ReadFrame(int timeoutMs = 2000);
    // Whatever arrives within `timeoutMs` (to prove that nothing came).
    std::vector<uint8_t> Drain(int timeoutMs);
    void Write(const std::vector<uint8_t>& bytes);
    // Each piece of `piece` bytes leaves as its own segment, `pauseMs` apart.
    void WriteInPieces(const std::vector<uint8_t>& bytes, size_t piece, int pauseMs = 2);

private:
    bool Connected();
    int m_listener = -1;
    int m_conn = -1;
    uint16_t m_port = 0;
};

// Opens a client connection to 127.0.0.1:port (blocking, no delay); -1 on failure.
int TcpConnectLoopback(uint16_t port);
