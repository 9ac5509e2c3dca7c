// A controller that answers by itself on a loopback TCP listener, on its own
// thread: every request frame that arrives goes to a handler, and the bytes
// the handler returns go back. For round trips, fault runs and benchmarks,
// where a scripted exchange byte by byte would be too long to write out.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TcpController {
public:
    struct Answer {
        std::vector<uint8_t> bytes;  // written back as they are (empty: no answer)
        bool hangUp = false;         // close the connection instead of answering
    };
    using Handler = std::function<Answer(const std::vector<uint8_t>& frame)>;

    explicit TcpController(Handler handler);
    ~TcpController();
    TcpController(const TcpController&) = delete;
    TcpController& operator=(const TcpController&) = delete;

    uint16_t Port() const { return m_port; }
    // Replies leave in pieces of this many bytes, each its own segment
    // (0: in one piece).
    void SetPieceSize(size_t piece) { m_piece.store(piece); }
    size_t FramesSeen() const { return m_frames.load(); }
    size_t Connections() const { return m_connections.load(); }

private:
    void Run();
    bool ReadExact(int fd, uint8_t* into, size_t count);
    void Send(int fd, const std::vector<uint8_t>& bytes);

    Handler m_handler;
    int m_listener = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_piece{0};
    std::atomic<size_t> m_frames{0};
    std::atomic<size_t> m_connections{0};
    std::thread m_thread;
};

// Frames from the controller's side, independent of the library's builder.
std::vector<uint8_t> ControllerFrame(uint8_t address, uint8_t seqType, const std::vector<uint8_t>& data);
// A reply to `request` with its address and sequence nibble.
std::vector<uint8_t> ControllerReply(const std::vector<uint8_t>& request, uint8_t type,
                                     const std::vector<uint8_t>& data = {});
